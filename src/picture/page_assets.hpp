#pragma once

// The style sheet and the scripts of the chart's page, inline in it: the
// page loads nothing else. The scripts read the chart from the page's own
// JSON (the element #chart-data, and #plane-data on the EHP and cells
// charts) and the picture's layout from the data attributes of its
// <svg id="picture">.

namespace curtis {

const char* pageStyle();
// The view every page shares (zoom, pan, axes), defining curtisView; the
// Adams chart's page; the EHP and cells charts' page; the page of the
// sphere drawn in its named basis.
const char* viewScript();
const char* pageScript();
const char* planeScript();
const char* namesScript();
// With --map: each class's images under the maps, added to its panel.
const char* mapsScript();
// With --root-invariant: each class's root invariant, added to its panel.
const char* rootInvariantScript();

} // namespace curtis
