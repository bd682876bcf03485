"""Times a chart's page in Debian's headless chromium: the load (from the
start of navigation to the end of the load event, the page's script
included) and one zoom step (the script's work and the next frame), each the
median of several runs.

    /usr/bin/python3 bench/page_timing.py PAGE.html [RUNS]
"""
import os
import statistics
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "curtis_chart"))
from page_test import browser  # noqa: E402

ZOOM_STEP = """
const done = arguments[arguments.length - 1];
const start = performance.now();
window.curtisChart.zoomBy(0.8);
requestAnimationFrame(() => requestAnimationFrame(() => done(performance.now() - start)));
"""


def main():
    page = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    loads, zooms = [], []
    with tempfile.TemporaryDirectory() as profile:
        driver = browser(profile)
        try:
            for _ in range(runs):
                driver.get("file://" + page)
                loads.append(driver.execute_script(
                    "const t = performance.getEntriesByType('navigation')[0];"
                    "return t.loadEventEnd - t.startTime;"))
                driver.execute_script("window.curtisChart.fit()")
                zooms.append(driver.execute_async_script(ZOOM_STEP))
        finally:
            driver.quit()
    print("%s: %.1f MB, load %.0f ms, zoom step %.0f ms (medians of %d)" % (
        os.path.basename(page), os.path.getsize(page) / 1e6, statistics.median(loads),
        statistics.median(zooms), runs))


if __name__ == "__main__":
    main()
