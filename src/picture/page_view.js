// The view of a chart's picture, shared by the pages of every chart: zoom,
// pan, fit, the keys, and the numbers along the axes, drawn in their own
// <svg> elements so that they stay at the edges. The picture's layout comes
// from the data attributes of its <svg>: the grid's unit and top left
// corner, the first stem and how many, and how many rows from the first
// (data-first-row, else 0). `pointable` is the selector of what a press
// points at rather than drags.
function curtisView(svg, xAxis, yAxis, pointable) {
  'use strict';
  const unit = +svg.dataset.unit, left = +svg.dataset.left, top = +svg.dataset.top;
  const firstStem = +svg.dataset.firstStem, stems = +svg.dataset.stems;
  const firstRow = +(svg.dataset.firstRow || 0), rows = +svg.dataset.filtrations;
  let full = { x: 0, y: 0, w: +svg.dataset.width, h: +svg.dataset.height };
  let view = Object.assign({}, full);
  const svgNS = 'http://www.w3.org/2000/svg';

  function stemAt(x) { return firstStem + (x - left) / unit; }
  function rowAt(y) { return firstRow + rows - 1 - (y - top) / unit; }
  // The picture is drawn from the top left corner of its box (xMinYMin
  // meet): its scale, and the part of it the box shows.
  svg.setAttribute('preserveAspectRatio', 'xMinYMin meet');
  function shown() {
    const box = svg.getBoundingClientRect();
    const scale = Math.min(box.width / view.w, box.height / view.h);
    return { box: box, scale: scale, x0: view.x, x1: view.x + box.width / scale,
             y0: view.y, y1: view.y + box.height / scale };
  }
  // The stems and rows whose centres the box shows.
  function visibleStems() {
    const s = shown();
    return [Math.max(firstStem, Math.ceil(stemAt(s.x0))),
            Math.min(firstStem + stems - 1, Math.floor(stemAt(s.x1)))];
  }
  function visibleRows() {
    const s = shown();
    return [Math.max(firstRow, Math.ceil(rowAt(s.y1))),
            Math.min(firstRow + rows - 1, Math.floor(rowAt(s.y0)))];
  }
  // The numbers along both axes: every visible stem and row where there is
  // room for them, else every second, ...; the stems just under the grid
  // while its bottom is in view, else along the bottom of the box.
  function drawAxes() {
    const s = shown();
    const step = Math.max(1, Math.ceil(20 / (unit * s.scale)));
    function labels(axis, range, place) {
      while (axis.firstChild) axis.removeChild(axis.firstChild);
      for (let value = range[0]; value <= range[1]; ++value) {
        if (value % step !== 0) continue;
        const text = document.createElementNS(svgNS, 'text');
        text.setAttribute('class', 'axis-label');
        place(text, value);
        text.textContent = value;
        axis.appendChild(text);
      }
    }
    const bottom = top + (rows - 0.5) * unit; // the grid's lower edge
    const under = Math.min((bottom - view.y) * s.scale + 16, s.box.height + 16);
    labels(xAxis, visibleStems(), function (text, stem) {
      text.setAttribute('x', (left + (stem - firstStem) * unit - view.x) * s.scale);
      text.setAttribute('y', under);
      text.setAttribute('text-anchor', 'middle');
    });
    labels(yAxis, visibleRows(), function (text, row) {
      text.setAttribute('x', 34);
      text.setAttribute('y', (top + (firstRow + rows - 1 - row) * unit - view.y) * s.scale + 4);
      text.setAttribute('text-anchor', 'end');
    });
  }
  function apply() {
    svg.setAttribute('viewBox', view.x + ' ' + view.y + ' ' + view.w + ' ' + view.h);
    drawAxes();
  }
  // Zooms by factor about the picture point (cx, cy), which stays put.
  function zoomBy(factor, cx, cy) {
    if (cx === undefined) { cx = view.x + view.w / 2; cy = view.y + view.h / 2; }
    const w = Math.min(full.w, Math.max(unit * 3, view.w * factor));
    const h = w * view.h / view.w;
    view = { x: cx - (cx - view.x) * w / view.w, y: cy - (cy - view.y) * h / view.h, w: w, h: h };
    apply();
  }
  // The whole picture, as large as the box holds it.
  function fit() { view = Object.assign({}, full); apply(); }
  // The whole picture from y down, for the cut of the towers.
  function startAt(y) {
    full = { x: 0, y: y, w: +svg.dataset.width, h: +svg.dataset.height - y };
    fit();
  }
  function pointAt(event) {
    const point = svg.createSVGPoint();
    point.x = event.clientX; point.y = event.clientY;
    return point.matrixTransform(svg.getScreenCTM().inverse());
  }
  svg.addEventListener('wheel', function (event) {
    event.preventDefault();
    const p = pointAt(event);
    zoomBy(event.deltaY < 0 ? 0.8 : 1.25, p.x, p.y);
  }, { passive: false });
  let drag = null;
  svg.addEventListener('pointerdown', function (event) {
    if (event.target.matches(pointable)) return;
    drag = { x: event.clientX, y: event.clientY, view: Object.assign({}, view) };
    svg.classList.add('dragging');
    svg.setPointerCapture(event.pointerId);
  });
  svg.addEventListener('pointermove', function (event) {
    if (!drag) return;
    const scale = shown().scale;
    view.x = drag.view.x - (event.clientX - drag.x) / scale;
    view.y = drag.view.y - (event.clientY - drag.y) / scale;
    apply();
  });
  function endDrag() { drag = null; svg.classList.remove('dragging'); }
  svg.addEventListener('pointerup', endDrag);
  svg.addEventListener('pointercancel', endDrag);
  document.getElementById('zoom-in').addEventListener('click', function () { zoomBy(0.8); });
  document.getElementById('zoom-out').addEventListener('click', function () { zoomBy(1.25); });
  document.getElementById('fit').addEventListener('click', fit);
  document.addEventListener('keydown', function (event) {
    if (event.target.tagName === 'INPUT' || event.target.tagName === 'SELECT') return;
    if (event.key === '+' || event.key === '=') zoomBy(0.8);
    else if (event.key === '-') zoomBy(1.25);
    else if (event.key === '0') fit();
    else return;
    event.preventDefault();
  });
  window.addEventListener('resize', drawAxes);
  apply();
  return { zoomBy: zoomBy, fit: fit, startAt: startAt, visibleStems: visibleStems,
           visibleRows: visibleRows, scale: function () { return shown().scale; } };
}

// Shows or hides everything of class `hidden` on the body as the box `id`
// is ticked or not.
function curtisToggle(id, hidden) {
  'use strict';
  const box = document.getElementById(id);
  if (!box) return;
  const set = function () { document.body.classList.toggle(hidden, !box.checked); };
  box.addEventListener('change', set);
  set();
}

// Points at dots and chooses them: show(dot) when one is pointed at or
// focused while none is chosen (chosen() says which is), choose(dot) on a
// click, Enter or the space bar.
function curtisPointing(dots, chosen, show, choose) {
  'use strict';
  for (const dot of dots) {
    dot.addEventListener('pointerenter', function () { if (!chosen()) show(dot); });
    dot.addEventListener('focus', function () { if (!chosen()) show(dot); });
    dot.addEventListener('click', function () { choose(dot); });
    dot.addEventListener('keydown', function (event) {
      if (event.key === 'Enter' || event.key === ' ') { event.preventDefault(); choose(dot); }
    });
  }
}

// Fills the panel with a heading and a list of [term, description] rows.
function curtisPanel(panel, heading, rows) {
  'use strict';
  const h2 = document.createElement('h2');
  h2.textContent = heading;
  const list = document.createElement('dl');
  for (const row of rows) {
    const dt = document.createElement('dt'); dt.textContent = row[0];
    const dd = document.createElement('dd'); dd.textContent = row[1];
    list.appendChild(dt); list.appendChild(dd);
  }
  panel.replaceChildren(h2, list);
}
