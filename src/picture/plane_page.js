// The page of an EHP or cells chart: the view, the labels, a panel that
// tells the dot pointed at and its pairing, and search. The dots and
// pairings come from the page's own JSON (#plane-data), each dot of the
// picture marked with its number in it (data-dot).
(function () {
  'use strict';
  const svg = document.getElementById('picture');
  const panel = document.getElementById('panel');
  const plane = JSON.parse(document.getElementById('plane-data').textContent);
  const view = curtisView(svg, document.getElementById('x-axis'), document.getElementById('y-axis'),
                          'circle.class');
  curtisToggle('show-labels', 'hide-labels');
  const dots = Array.from(svg.querySelectorAll('circle.class'));
  const lines = Array.from(svg.querySelectorAll('line.pairing'));
  // Each dot's pairing, as [source, target], if it has one.
  const pairingOf = new Map();
  for (const arrow of plane.arrows) {
    pairingOf.set(arrow[0], arrow);
    pairingOf.set(arrow[1], arrow);
  }

  function describe(d) {
    const dot = plane.dots[d];
    const rows = [['stem', String(dot.x)], [plane.y_name, String(dot.y)],
                  ['monomial', dot.monomial], ['what becomes of it', dot.title]];
    if (dot.label !== dot.monomial) rows.splice(2, 0, ['label', dot.label]);
    const arrow = pairingOf.get(d);
    if (arrow) {
      const other = plane.dots[arrow[0] === d ? arrow[1] : arrow[0]];
      rows.push([arrow[0] === d ? 'its target' : 'its source',
                 other.monomial + ' (stem ' + other.x + ', ' + other.y + ')']);
    }
    if (dot.dies_on !== null) rows.push(['dies on', 'S^' + dot.dies_on]);
    curtisPanel(panel, dot.label === dot.monomial ? dot.monomial : dot.label + ' \u2014 ' + dot.monomial,
                rows);
  }
  let chosen = null;
  function choose(dot) {
    for (const line of lines) line.classList.remove('touching');
    if (chosen) chosen.classList.remove('chosen');
    chosen = dot === chosen ? null : dot;
    if (!chosen) return;
    chosen.classList.add('chosen');
    describe(+chosen.dataset.dot);
    for (const line of lines) {
      if (line.dataset.from === chosen.dataset.dot || line.dataset.to === chosen.dataset.dot) {
        line.classList.add('touching');
      }
    }
  }
  curtisPointing(dots, function () { return chosen; },
                 function (dot) { describe(+dot.dataset.dot); }, choose);

  // Search: a monomial (two numbers or more), a value of y (one number), or
  // a label's term (a name, or the lambda part on the cells chart).
  const search = document.getElementById('search');
  const found = document.getElementById('found');
  search.addEventListener('input', function () {
    const words = search.value.trim().split(/\s+/).filter(function (w) { return w !== ''; });
    const wanted = words.join(' ');
    const numbers = words.length > 0 && words.every(function (w) { return /^-?\d+$/.test(w); });
    let count = 0;
    for (const dot of dots) {
      const d = plane.dots[+dot.dataset.dot];
      const match = words.length > 0 &&
        (numbers && words.length === 1 ? String(d.y) === wanted
                                       : d.monomial === wanted || d.label.split(' + ').indexOf(wanted) >= 0);
      dot.classList.toggle('match', match);
      count += match ? 1 : 0;
    }
    found.textContent = words.length > 0 ? count + (count === 1 ? ' class' : ' classes') : '';
  });

  window.curtisChart = view;
})();
