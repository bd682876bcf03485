(function () {
  'use strict';
  // The page of the sphere drawn in its named basis: a dot per named class
  // (data-t, data-s, data-b: its place in the level's "basis"), product
  // lines between them ("t:s:bB" in data-from and data-to).
  const svg = document.getElementById('picture');
  const panel = document.getElementById('panel');
  const data = JSON.parse(document.getElementById('chart-data').textContent);
  const unit = +svg.dataset.unit;
  const filtrations = +svg.dataset.filtrations;

  // Every named class by "t:s:bB", with its level and the survivors whose
  // sum it is.
  const classes = new Map();
  for (const degree of data.degrees) {
    for (const level of degree.levels) {
      (level.basis || []).forEach(function (named, b) {
        classes.set(degree.t + ':' + level.s + ':b' + b, {
          t: degree.t, level: level, b: b, named: named,
          words: named.terms.map(function (j) { return level.survivors[j]; }) });
      });
    }
  }
  function key(dot) { return dot.dataset.t + ':' + dot.dataset.s + ':b' + dot.dataset.b; }
  const dots = Array.from(svg.querySelectorAll('circle.survivor'));

  const view = curtisView(svg, document.getElementById('x-axis'), document.getElementById('y-axis'),
                          'circle.survivor');
  const cut = document.getElementById('tower-cut');
  function cutTowers() {
    const at = Math.min(filtrations - 1, Math.max(1, Math.round(+cut.value)));
    view.startAt(Math.max(0, (filtrations - 1 - at - 0.5) * unit));
  }
  if (cut) {
    cut.addEventListener('change', cutTowers);
    cutTowers();
  }
  curtisToggle('show-arrows', 'hide-arrows');
  ['h0', 'h1', 'h2', 'h3'].forEach(function (h) { curtisToggle('show-' + h, 'hide-' + h); });
  curtisToggle('show-labels', 'hide-labels');

  // Adams periodicity on request: from each named class that is one
  // survivor, a line to each named class of P(x)'s name.
  const periodicity = document.getElementById('show-periodicity');
  if (periodicity) {
    const ns = 'http://www.w3.org/2000/svg';
    const group = document.createElementNS(ns, 'g');
    group.setAttribute('class', 'periodicity');
    const dotOf = new Map(); // by "t:s:name"
    for (const dot of dots) {
      const c = classes.get(key(dot));
      if (c) dotOf.set(c.t + ':' + c.level.s + ':' + c.named.name, dot);
    }
    for (const dot of dots) {
      const c = classes.get(key(dot));
      const p = c && c.named.terms.length === 1 && c.level.periodicity
        ? c.level.periodicity[c.named.terms[0]] : null;
      if (!p || !p.defined || p.value === null) continue;
      const at = (p.value.stem + p.value.filtration + 1) + ':' + (p.value.filtration + 1) + ':';
      for (const name of p.value.name.split(' + ')) {
        const to = dotOf.get(at + name);
        if (!to) continue;
        const line = document.createElementNS(ns, 'line');
        line.setAttribute('class', 'periodicity');
        for (const [end, d] of [['1', dot], ['2', to]]) {
          line.setAttribute('x' + end, d.getAttribute('cx'));
          line.setAttribute('y' + end, d.getAttribute('cy'));
        }
        group.appendChild(line);
      }
    }
    svg.insertBefore(group, svg.querySelector('g.dots'));
    const set = function () { group.style.display = periodicity.checked ? '' : 'none'; };
    periodicity.addEventListener('change', set);
    set();
  }

  function text(word) { return word.join(' '); }
  function named(sum) {
    return sum === null ? 'past the chart' : sum.length === 0 ? '0' : sum.join(' + ');
  }
  function describe(c) {
    const level = c.level, b = c.b;
    const rows = [['stem, filtration', level.stem + ', ' + level.filtration],
                  ['Ext^{s,t}', 's = ' + level.filtration + ', t = ' + level.internal_degree +
                   ' (s the filtration, t \u2212 s the stem)'],
                  ["the program's t, s", c.t + ', ' + level.s],
                  ['monomials', c.words.map(text).join(' + ')]];
    if (level.basis_products) {
      const p = level.basis_products[b];
      rows.push(['products', Object.keys(p).map(function (h) { return h + ': ' + named(p[h]); }).join('; ')]);
    }
    if (level.basis_sq0) rows.push(['Sq^0', named(level.basis_sq0[b])]);
    curtisPanel(panel, c.named.name + ' \u2014 ' + c.words.map(text).join(' + '), rows);
  }
  let chosen = null;
  function show(dot) { const c = classes.get(key(dot)); if (c) describe(c); }
  function choose(dot) {
    for (const line of svg.querySelectorAll('line.touching')) line.classList.remove('touching');
    if (chosen) chosen.classList.remove('chosen');
    chosen = dot === chosen ? null : dot;
    if (!chosen) return;
    chosen.classList.add('chosen');
    show(chosen);
    const k = key(chosen);
    for (const line of svg.querySelectorAll('.products line')) {
      if (line.dataset.from === k || line.dataset.to === k) line.classList.add('touching');
    }
  }
  curtisPointing(dots, function () { return chosen; }, show, choose);

  // Search: a name ("h1 d0", or a term of a sum), a monomial (two numbers
  // or more: a named class whose survivors hold it) or a cell (one number).
  const search = document.getElementById('search');
  const found = document.getElementById('found');
  search.addEventListener('input', function () {
    const words = search.value.trim().split(/\s+/).filter(function (w) { return w !== ''; });
    const numbers = words.length > 0 && words.every(function (w) { return /^-?\d+$/.test(w); });
    const wanted = words.join(' ');
    let count = 0;
    for (const dot of dots) {
      const c = classes.get(key(dot));
      const match = words.length > 0 && c && (numbers
        ? c.words.some(function (word) {
          return words.length === 1 ? String(word[0]) === words[0] : text(word) === wanted; })
        : c.named.name === wanted || c.named.name.split(' + ').indexOf(wanted) >= 0);
      dot.classList.toggle('match', !!match);
      count += match ? 1 : 0;
    }
    found.textContent = words.length > 0 ? count + (count === 1 ? ' class' : ' classes') : '';
  });

  window.curtisChart = view;
})();
