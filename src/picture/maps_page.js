// With --map: the panel of a class also shows its image under each map
// (the JSON's top "maps" names the fields each level holds), found by the
// class's t, s and monomial among the panel's rows. A named class that is
// a sum of survivors (the sphere's named basis) maps to the sum of their
// images.
(function () {
  'use strict';
  const data = JSON.parse(document.getElementById('chart-data').textContent);
  const levels = new Map();
  for (const degree of data.degrees) {
    for (const level of degree.levels) levels.set(degree.t + ':' + level.s, level);
  }
  function text(word) { return word.join(' '); }
  // The sum mod 2 of the images of the classes js; null if one is.
  function image(level, map, js) {
    const terms = new Map();
    for (const j of js) {
      if (level[map][j] === null) return 'not computed';
      for (const word of level[map][j]) {
        if (terms.has(text(word))) terms.delete(text(word)); else terms.set(text(word), true);
      }
    }
    return terms.size === 0 ? '0' : Array.from(terms.keys()).join(' + ');
  }
  const panel = curtisPanel;
  curtisPanel = function (element, heading, rows) {
    const row = function (name) { return rows.find(function (r) { return r[0] === name; }); };
    const at = row("the program's t, s");
    const words = row('monomial') || row('monomials');
    const level = at && levels.get(at[1].replace(', ', ':'));
    const js = level && words ? words[1].split(' + ').map(function (w) {
      return level.survivors.findIndex(function (s) { return text(s) === w; });
    }) : [];
    for (const map of js.length > 0 && js.indexOf(-1) < 0 ? data.maps : []) {
      rows.push([map, image(level, map, js)]);
      const names = level[map + '_names'];
      if (names && js.length === 1) {
        rows.push([map + ', named', names[js[0]] === null ? 'not computed' : names[js[0]]]);
      }
    }
    panel(element, heading, rows);
  };
})();
