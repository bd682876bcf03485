(function () {
  'use strict';
  const svg = document.getElementById('picture');
  const xAxis = document.getElementById('x-axis');
  const yAxis = document.getElementById('y-axis');
  const panel = document.getElementById('panel');
  const data = JSON.parse(document.getElementById('chart-data').textContent);
  const palette = JSON.parse(svg.dataset.palette);
  const unit = +svg.dataset.unit;
  const filtrations = +svg.dataset.filtrations;

  // Every survivor by "t:s:j", with its level of the JSON.
  const classes = new Map();
  for (const degree of data.degrees) {
    for (const level of degree.levels) {
      level.survivors.forEach(function (word, j) {
        classes.set(degree.t + ':' + level.s + ':' + j, { t: degree.t, level: level, j: j, word: word });
      });
    }
  }
  const dots = Array.from(svg.querySelectorAll('circle.survivor'));

  const view = curtisView(svg, xAxis, yAxis, 'circle.survivor');
  // The cut of the towers: the whole view ends half a row above it.
  const cut = document.getElementById('tower-cut');
  function cutTowers() {
    const at = Math.min(filtrations - 1, Math.max(1, Math.round(+cut.value)));
    view.startAt(Math.max(0, (filtrations - 1 - at - 0.5) * unit));
  }
  if (cut) {
    cut.addEventListener('change', cutTowers);
    cutTowers();
  }

  // Toggles.
  curtisToggle('show-arrows', 'hide-arrows');
  ['h0', 'h1', 'h2', 'h3'].forEach(function (h) { curtisToggle('show-' + h, 'hide-' + h); });
  curtisToggle('show-labels', 'hide-labels');
  // Adams periodicity on request: a line from each class x to each term of
  // P(x), drawn from the data.
  const periodicity = document.getElementById('show-periodicity');
  if (periodicity) {
    const ns = 'http://www.w3.org/2000/svg';
    const group = document.createElementNS(ns, 'g');
    group.setAttribute('class', 'periodicity');
    const dotOf = new Map();
    for (const dot of dots) {
      const c = classes.get(dot.dataset.t + ':' + dot.dataset.s + ':' + dot.dataset.j);
      if (c) dotOf.set(c.t + ':' + c.level.s + ':' + c.word.join(' '), dot);
    }
    for (const degree of data.degrees) {
      for (const level of degree.levels) {
        (level.periodicity || []).forEach(function (p, j) {
          if (!p || !p.defined || p.value === null) return;
          const from = dotOf.get(degree.t + ':' + level.s + ':' + level.survivors[j].join(' '));
          const at = (p.value.stem + p.value.filtration + 1) + ':' + (p.value.filtration + 1) + ':';
          for (const term of p.value.terms) {
            const to = dotOf.get(at + term.join(' '));
            if (!from || !to) continue;
            const line = document.createElementNS(ns, 'line');
            line.setAttribute('class', 'periodicity');
            for (const [end, dot] of [['1', from], ['2', to]]) {
              line.setAttribute('x' + end, dot.getAttribute('cx'));
              line.setAttribute('y' + end, dot.getAttribute('cy'));
            }
            group.appendChild(line);
          }
        });
      }
    }
    svg.insertBefore(group, svg.querySelector('g.dots'));
    const set = function () { group.style.display = periodicity.checked ? '' : 'none'; };
    periodicity.addEventListener('change', set);
    set();
  }
  // Dots are coloured by the sphere they are born on where the data has
  // births (the sphere's one cell says nothing), else by cell.
  if (svg.dataset.colour === 'born') {
    for (const dot of dots) {
      const c = classes.get(dot.dataset.t + ':' + dot.dataset.s + ':' + dot.dataset.j);
      if (c && c.level.born) {
        dot.setAttribute('fill', palette[((c.level.born[c.j] % palette.length) + palette.length) % palette.length]);
      }
    }
  }

  // The sphere's classes the transfer lands in, with the classes mapping to
  // each, by "t:s:monomial".
  const transferFrom = new Map();
  for (const degree of data.sphere || []) {
    for (const level of degree.levels) {
      level.survivors.forEach(function (word, j) {
        transferFrom.set(degree.t + ':' + level.s + ':' + word.join(' '), level.transfer_from[j]);
      });
    }
  }

  // What a dot is, in the panel.
  function text(word) { return word.join(' '); }
  function sum(terms) {
    if (terms === null || terms === undefined) return 'not computed';
    return terms.length === 0 ? '0' : terms.map(text).join(' + ');
  }
  function describe(c) {
    const level = c.level, j = c.j;
    const rows = [['stem, filtration', level.stem + ', ' + level.filtration],
                  ['Ext^{s,t}', 's = ' + level.filtration + ', t = ' + level.internal_degree +
                   ' (s the filtration, t \u2212 s the stem)'],
                  ["the program's t, s", c.t + ', ' + level.s],
                  ['cell', String(c.word[0])], ['monomial', text(c.word)]];
    if (level.products) {
      const p = level.products[j];
      rows.push(['products', Object.keys(p).map(function (h) { return h + ': ' + sum(p[h]); }).join('; ')]);
    }
    if (level.transfer) {
      rows.push(['transfer', sum(level.transfer[j])]);
      // The transfer inverted: every class of this chart that hits each term.
      const at = (c.t + 1 + data.bottom_cell) + ':' + (level.s + 1) + ':';
      const hits = level.transfer[j].map(function (term) {
        return text(term) + ' \u2190 ' + (transferFrom.get(at + text(term)) || []).map(text).join(', ');
      });
      if (hits.length > 0) rows.push(['its terms are hit by', hits.join('; ')]);
    }
    if (level.born) rows.push(['born on', 'S^' + level.born[j]]);
    if (level.dies && level.dies[j] !== null) rows.push(['dies on', 'S^' + level.dies[j]]);
    if (level.names) {
      rows.unshift(['name', level.names[j]]);
      if (level.product_names) {
        const p = level.product_names[j];
        rows.push(['products, named', Object.keys(p).map(function (h) {
          return h + ': ' + (p[h] === null ? 'not computed' : p[h]);
        }).join('; ')]);
      }
      if (level.transfer_names) rows.push(['transfer, named', level.transfer_names[j]]);
    }
    if (level.periodicity && level.periodicity[j]) {
      const p = level.periodicity[j];
      rows.push(['P(x)', !p.defined ? 'not defined: h0^4 x is not 0'
                 : p.value === null ? 'past the chart'
                 : p.value.name + (p.indeterminacy.length === 0 ? ''
                   : ' (indeterminacy ' + p.indeterminacy.map(function (e) { return e.name; }).join(', ') + ')')]);
    }
    curtisPanel(panel, level.names ? level.names[j] + ' \u2014 ' + text(c.word) : text(c.word), rows);
  }
  let chosen = null;
  function key(dot) { return dot.dataset.t + ':' + dot.dataset.s + ':' + dot.dataset.j; }
  function show(dot) { const c = classes.get(key(dot)); if (c) describe(c); }
  function choose(dot) {
    for (const line of svg.querySelectorAll('line.touching')) line.classList.remove('touching');
    if (chosen) chosen.classList.remove('chosen');
    chosen = dot === chosen ? null : dot;
    if (!chosen) return;
    chosen.classList.add('chosen');
    show(chosen);
    const k = key(chosen), t = +chosen.dataset.t, s = +chosen.dataset.s;
    for (const line of svg.querySelectorAll('.products line')) {
      if (line.dataset.from === k || line.dataset.to === k) line.classList.add('touching');
    }
    for (const line of svg.querySelectorAll('.arrows line')) {
      const ls = +line.dataset.s;
      if (+line.dataset.t === t && (ls === s || ls === s + 1)) line.classList.add('touching');
    }
  }
  curtisPointing(dots, function () { return chosen; }, show, choose);

  // Whether a name has a term that is the sphere's name wanted, on any cell:
  // "h1" is a term of "h1[5]", "h0 h2" of "(h0 h2)[3] + h1[7]".
  function named(name, wanted) {
    return name.split(' + ').some(function (term) {
      if (term === wanted) return true;
      const sphere = term.replace(/\[-?\d+\]$/, '');
      return sphere !== term && (sphere === wanted || sphere === '(' + wanted + ')');
    });
  }

  // Search: a monomial (two numbers or more), a cell (one number), or with
  // names a name ("h1 d0": every class whose name has that term, "h1" every
  // class named h1 on some cell).
  const search = document.getElementById('search');
  const found = document.getElementById('found');
  search.addEventListener('input', function () {
    const words = search.value.trim().split(/\s+/).filter(function (w) { return w !== ''; });
    let count = 0;
    const numbers = words.length > 0 && words.every(function (w) { return /^-?\d+$/.test(w); });
    const wanted = words.join(' ');
    const valid = numbers || (words.length > 0 && dots.some(function (dot) {
      const c = classes.get(key(dot));
      return c && c.level.names;
    }));
    for (const dot of dots) {
      const c = classes.get(key(dot));
      const name = c && c.level.names ? c.level.names[c.j] : null;
      const match = valid && c && (numbers ? (words.length === 1 ? String(c.word[0]) === words[0]
                                                                  : text(c.word) === wanted)
                                           : name !== null && named(name, wanted));
      dot.classList.toggle('match', !!match);
      count += match ? 1 : 0;
    }
    found.textContent = valid ? count + (count === 1 ? ' class' : ' classes') : '';
  });

  window.curtisChart = view;
})();
