#pragma once

// The style sheet and the script of the chart's page, inline in it: the page
// loads nothing else. The script reads the chart from the page's own JSON
// (the element #chart-data) and the picture's layout from the data
// attributes of its <svg id="picture">.

namespace curtis {

const char* pageStyle();
const char* pageScript();

} // namespace curtis
