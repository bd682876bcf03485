// With --root-invariant: the panel of a class also shows its root invariant
// R(x) = β, as the JSON's level "root_invariant" gives it: β[-k], the class
// of P_{-N} that detects e(-1) x, written as the TSV writes it (the cell -k,
// then the lambdas), its names, and the indeterminacy's basis. The class is
// found by its t, s and monomial among the panel's rows. Root invariants are
// not linear: a named class that is a sum of survivors gets none.
(function () {
  'use strict';
  const data = JSON.parse(document.getElementById('chart-data').textContent);
  const levels = new Map();
  for (const degree of data.degrees) {
    for (const level of degree.levels) levels.set(degree.t + ':' + level.s, level);
  }
  function text(word) { return word.join(' '); }
  function onCell(k, words) {
    return words.map(function (w) { return text([-k].concat(w.slice(1))); }).join(' + ');
  }
  function rowsOf(r) {
    if (r === null) {
      return [['root invariant', 'not found: its cell lies below -' + data.root_invariant_cells]];
    }
    const rows = [['root invariant', onCell(r.k, r.value)]];
    if (r.names) rows.push(['root invariant, named', r.names.join(' + ')]);
    if (r.indeterminacy.length > 0) {
      rows.push(['root invariant, modulo', r.indeterminacy.map(function (e, i) {
        const names = r.indeterminacy_names && r.indeterminacy_names[i];
        return names ? names.join(' + ') : onCell(r.k, e);
      }).join(', ')]);
    }
    return rows;
  }
  const panel = curtisPanel;
  curtisPanel = function (element, heading, rows) {
    const row = function (name) { return rows.find(function (r) { return r[0] === name; }); };
    const at = row("the program's t, s");
    const words = row('monomial') || row('monomials');
    const level = at && levels.get(at[1].replace(', ', ':'));
    const js = level && level.root_invariant && words ? words[1].split(' + ').map(function (w) {
      return level.survivors.findIndex(function (s) { return text(s) === w; });
    }) : [];
    if (js.length === 1 && js[0] >= 0) {
      rows.push.apply(rows, rowsOf(level.root_invariant[js[0]]));
    } else if (js.length > 1) {
      rows.push(['root invariant', 'given for each survivor, not for their sum']);
    }
    panel(element, heading, rows);
  };
})();
