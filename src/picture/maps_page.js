// With --map: the panel of a class also shows its image under each map
// (the JSON's top "maps" names the fields each level holds), found by the
// class's t, s and monomial among the panel's rows.
(function () {
  'use strict';
  const data = JSON.parse(document.getElementById('chart-data').textContent);
  const levels = new Map();
  for (const degree of data.degrees) {
    for (const level of degree.levels) levels.set(degree.t + ':' + level.s, level);
  }
  function text(word) { return word.join(' '); }
  function image(terms) {
    if (terms === null || terms === undefined) return 'not computed';
    return terms.length === 0 ? '0' : terms.map(text).join(' + ');
  }
  const panel = curtisPanel;
  curtisPanel = function (element, heading, rows) {
    const at = rows.find(function (row) { return row[0] === "the program's t, s"; });
    const word = rows.find(function (row) { return row[0] === 'monomial'; });
    const level = at && levels.get(at[1].replace(', ', ':'));
    const j = level && word ? level.survivors.findIndex(function (w) { return text(w) === word[1]; }) : -1;
    for (const map of j >= 0 ? data.maps : []) {
      rows.push([map, image(level[map][j])]);
      const names = level[map + '_names'];
      if (names) rows.push([map + ', named', names[j] === null ? 'not computed' : names[j]]);
    }
    panel(element, heading, rows);
  };
})();
