"""The chart's page in a real browser (Debian's chromium, through
chromedriver and Selenium): it loads from a file:// URL without a console
error, shows a dot per survivor of its own JSON, tells the monomial of the
dot pointed at, shows the arrows when asked, zooms, and finds a monomial;
and the pages of the EHP and cells charts.

    page_test.py CURTIS_CHART SCRATCH_DIRECTORY
"""
import json
import os
import subprocess
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By


def browser(profile):
    options = Options()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage", "--disable-gpu",
                     "--disable-background-networking", "--disable-component-update",
                     "--disable-sync", "--no-first-run", "--window-size=1400,900",
                     "--user-data-dir=" + profile):
        options.add_argument(argument)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def visible(driver, selector):
    return driver.execute_script(
        "return Array.from(document.querySelectorAll(arguments[0]))"
        ".filter(e => e.getClientRects().length > 0).length", selector)


def plane_pages(driver, program, directory, check):
    """The EHP and cells charts' pages: a dot per survivor and per end of
    each pairing of the chart's JSON, an arrow per pairing; pointing at a
    pairing's source tells its target, choosing it lights its arrow;
    searching a monomial or a value of y lights exactly its dots; the
    labels hide."""
    for name, arguments, pairings in (
            ("ehp", ["--sphere", "--max-degree", "14", "--ehp", "--chart", "ehp"], "ehp"),
            ("cells", ["--bottom-cell", "1", "--max-degree", "12", "--names", "--chart", "cells"],
             "arrows")):
        page = os.path.join(directory, name + ".html")
        subprocess.run([program] + arguments + ["--format", "html", "--output", page], check=True)
        driver.get("file://" + page)
        errors = [entry for entry in driver.get_log("browser") if entry["level"] == "SEVERE"]
        check(not errors, "the %s page loads without a console error %s" % (name, errors))
        chart = json.loads(driver.execute_script(
            "return document.getElementById('chart-data').textContent"))
        levels = [level for degree in chart["degrees"] for level in degree["levels"]]
        expected = (sum(len(level["survivors"]) for level in levels),
                    sum(len(level[pairings]) for level in levels))
        drawn = (len(driver.find_elements(By.CSS_SELECTOR, "circle.class")),
                 len(driver.find_elements(By.CSS_SELECTOR, "line.pairing")))
        check(drawn == (expected[0] + 2 * expected[1], expected[1]) and expected[1] > 5,
              "the %s page: a dot per class and pairing end, an arrow per pairing %s of %s"
              % (name, drawn, expected))

        plane = json.loads(driver.execute_script(
            "return document.getElementById('plane-data').textContent"))
        source, target = plane["arrows"][-1]
        dot = driver.find_element(By.CSS_SELECTOR, 'circle.class[data-dot="%d"]' % source)
        ActionChains(driver).move_to_element(dot).perform()
        panel = driver.find_element(By.ID, "panel").text
        check(plane["dots"][source]["monomial"] in panel and
              plane["dots"][target]["monomial"] in panel,
              "pointing at a source on the %s page tells it and its target (%r)" % (name, panel))
        dot.click()
        lit = driver.execute_script("return Array.from(document.querySelectorAll("
                                    "'line.pairing.touching')).map(l => [+l.dataset.from, +l.dataset.to])")
        check(lit == [[source, target]], "choosing it lights its arrow alone (%s)" % lit)

        for query, wanted in ((plane["dots"][target]["monomial"],
                               lambda d: d["monomial"] == plane["dots"][target]["monomial"]),
                              ("5", lambda d: d["y"] == 5)):
            search = driver.find_element(By.ID, "search")
            search.clear()
            search.send_keys(query)
            lit = {int(e.get_attribute("data-dot"))
                   for e in driver.find_elements(By.CSS_SELECTOR, "circle.class.match")}
            matches = {i for i, d in enumerate(plane["dots"]) if wanted(d)}
            check(lit == matches and lit, "searching %r on the %s page lights exactly its %d dots"
                  % (query, name, len(matches)))
        before = visible(driver, "text.dot-label")
        driver.find_element(By.ID, "show-labels").click()
        check(before > 0 and visible(driver, "text.dot-label") == 0,
              "the %s page's labels hide (%d shown at first)" % (name, before))


# Every text's box against every other text's and every dot's, within
# ROOT (the whole document if none): [text over text, text over dot, texts].
OVERLAPS = """
const root = arguments[0] ? document.getElementById(arguments[0]) : document.documentElement;
const texts = Array.from(root.querySelectorAll('text'))
  .filter(t => t.getClientRects().length > 0 && t.textContent.trim() !== '');
const boxes = texts.map(t => t.getBoundingClientRect());
const dots = Array.from(root.querySelectorAll('circle.survivor')).map(d => d.getBoundingClientRect());
const meet = (a, b) => a.left < b.right - 0.01 && b.left < a.right - 0.01 &&
                       a.top < b.bottom - 0.01 && b.top < a.bottom - 0.01;
let overText = 0, overDot = 0;
boxes.forEach(function (box, i) {
  overText += boxes.slice(i + 1).filter(other => meet(box, other)).length;
  overDot += dots.filter(dot => meet(box, dot)).length;
});
return [overText, overDot, texts.length];
"""


def label_overlaps(driver, program, directory, check):
    """No label over another text or a dot, in the picture and on the page
    (zoomed to at least its own size, where the browser does not round small
    type up), for the sphere with names and products and RP^oo in a band;
    every dot's name beside it or in the table under the picture."""
    for arguments in (["--sphere", "--max-stem", "40", "--max-filtration", "12"],
                      ["--bottom-cell", "1", "--max-stem", "30", "--max-filtration", "8"]):
        for form in ("svg", "html"):
            picture = os.path.join(directory, "labels." + form)
            subprocess.run([program] + arguments + ["--names", "--products", "--format", form,
                                                    "--output", picture], check=True)
            driver.get("file://" + picture)
            while form == "html" and driver.execute_script("return window.curtisChart.scale()") < 1:
                driver.find_element(By.ID, "zoom-in").click()
            over = driver.execute_script(OVERLAPS, "picture" if form == "html" else None)
            check(over[:2] == [0, 0] and over[2] > 100,
                  "%s %s: no text over a text or a dot %s" % (form, " ".join(arguments), over))
            named = driver.execute_script(
                "return [document.querySelectorAll('circle.survivor').length,"
                " document.querySelectorAll('g.survivor-dot text.name').length,"
                " document.querySelectorAll('text.unplaced-label').length]")
            check(named[0] == named[1] + named[2] and named[1] > 0.75 * named[0],
                  "every name beside its dot or in the table %s" % named)


def zoom_and_search(driver, program, directory, check):
    """Zoomed in, both axes number every row and stem whose centre shows; at
    fit the chart fills the window one way, its stems just under it; "h1" on
    RP^oo with names finds h1 on every cell."""
    page = os.path.join(directory, "rp-names.html")
    subprocess.run([program, "--bottom-cell", "1", "--max-degree", "16", "--names",
                    "--format", "html", "--output", page], check=True)
    driver.get("file://" + page)
    for _ in range(3):
        driver.find_element(By.ID, "zoom-in").click()
    shown = driver.execute_script("""
const svg = document.getElementById('picture'), d = svg.dataset, box = svg.getBoundingClientRect();
const m = svg.getScreenCTM(), inside = [[], []];
for (let i = 0; i < +d.stems; ++i) {
  const x = m.a * (+d.left + i * +d.unit) + m.e;
  if (x >= box.left && x <= box.right) inside[0].push(String(+d.firstStem + i));
}
for (let r = 0; r < +d.filtrations; ++r) {
  const y = m.d * (+d.top + (+d.filtrations - 1 - r) * +d.unit) + m.f;
  if (y >= box.top && y <= box.bottom) inside[1].push(String(r));
}
const numbers = id => Array.from(document.querySelectorAll('#' + id + ' text')).map(t => t.textContent);
return [inside, [numbers('x-axis'), numbers('y-axis')], window.curtisChart.scale() * +d.unit];""")
    check(shown[2] >= 20 and shown[0] == shown[1] and len(shown[0][1]) > 3,
          "after three zooms every visible stem and row is numbered %s" % shown[:2])
    driver.find_element(By.ID, "fit").click()
    fit = driver.execute_script("""
const svg = document.getElementById('picture'), d = svg.dataset, m = svg.getScreenCTM();
const box = svg.getBoundingClientRect();
const bottom = m.d * (+d.top + (+d.filtrations - 0.5) * +d.unit) + m.f;
const tops = Array.from(document.querySelectorAll('#x-axis text')).map(t => t.getBoundingClientRect().top);
return [Math.max(m.a * +d.width / box.width, m.d * +d.height / box.height), Math.min(...tops) - bottom];""")
    check(fit[0] > 0.99 and 0 <= fit[1] < 20,
          "fit fills the window's width or height, the stems just under the chart %s" % fit)
    chart = json.loads(driver.execute_script(
        "return document.getElementById('chart-data').textContent"))
    wanted = {(degree["t"], level["s"], j) for degree in chart["degrees"]
              for level in degree["levels"] for j, name in enumerate(level["names"])
              if any(term.rsplit("[", 1)[0] == "h1" for term in name.split(" + "))}
    search = driver.find_element(By.ID, "search")
    search.send_keys("h1")
    lit = {(int(e.get_attribute("data-t")), int(e.get_attribute("data-s")),
            int(e.get_attribute("data-j")))
           for e in driver.find_elements(By.CSS_SELECTOR, "circle.survivor.match")}
    check(lit == wanted and len(lit) > 3, "searching h1 lights h1 on every cell (%d)" % len(lit))


def main():
    program, scratch = sys.argv[1], os.path.abspath(sys.argv[2])
    os.makedirs(scratch, exist_ok=True)
    with tempfile.TemporaryDirectory(dir=scratch) as directory:
        page = os.path.join(directory, "rp.html")
        subprocess.run([program, "--bottom-cell", "1", "--max-degree", "20", "--products",
                        "--transfer", "--map", "boundary:-1", "--format", "html", "--output",
                        page], check=True)
        failures = []

        def check(condition, what):
            print(("ok   " if condition else "FAIL ") + what)
            if not condition:
                failures.append(what)

        driver = browser(os.path.join(directory, "profile"))
        try:
            driver.get("file://" + page)
            errors = [entry for entry in driver.get_log("browser") if entry["level"] == "SEVERE"]
            check(not errors, "the page loads without a console error %s" % errors)

            embedded = driver.execute_script(
                "return document.getElementById('chart-data').textContent")
            plain = subprocess.run([program, "--bottom-cell", "1", "--max-degree", "20",
                                    "--products", "--transfer", "--map", "boundary:-1"],
                                   check=True, capture_output=True, text=True)
            check(embedded == plain.stdout, "the page holds the JSON unchanged")
            chart = json.loads(embedded)
            survivors = [(degree["t"], level["s"], j, word)
                         for degree in chart["degrees"] for level in degree["levels"]
                         for j, word in enumerate(level["survivors"])]
            arrows = sum(len(level["arrows"]) for degree in chart["degrees"]
                         for level in degree["levels"])
            dots = driver.find_elements(By.CSS_SELECTOR, "circle.survivor")
            check(len(dots) == len(survivors) > 40,
                  "a dot per survivor of the JSON (%d, %d)" % (len(dots), len(survivors)))

            # A dot with a long monomial, pointed at: the panel names it.
            t, s, j, word = max(survivors, key=lambda x: (len(x[3]), x[3]))
            dot = driver.find_element(
                By.CSS_SELECTOR, 'circle.survivor[data-t="%d"][data-s="%d"][data-j="%d"]' % (t, s, j))
            ActionChains(driver).move_to_element(dot).perform()
            text = " ".join(str(entry) for entry in word)
            panel = driver.find_element(By.ID, "panel").text
            check(text in panel, "pointing at %s shows it (%r)" % (text, panel[:80]))

            # The transfer inverted: e^1 goes to h1, which e^1 alone hits.
            dot = driver.find_element(
                By.CSS_SELECTOR, 'circle.survivor[data-t="1"][data-s="1"][data-j="0"]')
            ActionChains(driver).move_to_element(dot).perform()
            panel = driver.find_element(By.ID, "panel").text
            check("0 1 \u2190 1" in panel,
                  "the panel says what hits each term of the image (%r)" % panel[-60:])
            # And its image under the map: d e^1 = e^-1 λ1 in P_-1^0.
            check("boundary:-1\n-1 1" in panel, "the panel shows the map's image (%r)" % panel[-30:])

            check(visible(driver, ".arrows line") == 0, "no arrow shows at first")
            driver.find_element(By.ID, "show-arrows").click()
            shown = visible(driver, ".arrows line")
            check(shown == arrows > 0, "the arrows toggle on: %d of %d" % (shown, arrows))

            before = driver.execute_script("return window.curtisChart.visibleStems()")
            driver.find_element(By.ID, "zoom-in").click()
            driver.find_element(By.ID, "zoom-in").click()
            after = driver.execute_script("return window.curtisChart.visibleStems()")
            check(after[1] - after[0] < before[1] - before[0],
                  "zooming narrows the visible stems: %s to %s" % (before, after))

            for query, matches in ((text, [x for x in survivors if x[3] == word]),
                                   ("3", [x for x in survivors if x[3][0] == 3])):
                search = driver.find_element(By.ID, "search")
                search.clear()
                search.send_keys(query)
                lit = {(int(e.get_attribute("data-t")), int(e.get_attribute("data-s")),
                        int(e.get_attribute("data-j")))
                       for e in driver.find_elements(By.CSS_SELECTOR, "circle.survivor.match")}
                check(lit == {x[:3] for x in matches} and lit,
                      "searching %r lights exactly its %d dots" % (query, len(matches)))

            # The sphere with births: coloured by birth from the start, with
            # no colour-by-cell control; each axis drawn once, by the page.
            sphere = os.path.join(directory, "sphere.html")
            subprocess.run([program, "--sphere", "--max-degree", "16", "--ehp", "--root-invariant",
                            "9", "--format", "html", "--output", sphere], check=True)
            driver.get("file://" + sphere)
            # R(h0) = h1, R(h1) = h2 and R(h2) = h3, on the cells -2, -3 and -5.
            for t, wanted in ((2, "-2 1"), (3, "-3 3"), (5, "-5 7")):
                dot = driver.find_element(By.CSS_SELECTOR, 'circle[data-t="%d"][data-s="2"]' % t)
                ActionChains(driver).move_to_element(dot).perform()
                panel = driver.find_element(By.ID, "panel").text
                check("root invariant\n" + wanted in panel,
                      "the panel shows the root invariant %s (%r)" % (wanted, panel[-40:]))
            check(not driver.find_elements(By.ID, "colour"), "the sphere's page has no colour control")
            fills = driver.execute_script(
                "return new Set(Array.from(document.querySelectorAll('circle.survivor'))"
                ".map(d => d.getAttribute('fill'))).size")
            check(fills > 3, "its dots are coloured by the sphere they are born on (%d colours)" % fills)
            numbers = driver.execute_script(
                "return document.querySelectorAll('#picture .grid-lines text').length")
            check(numbers == 2, "the picture holds only the axes' titles (%d texts)" % numbers)
            check(visible(driver, "#x-axis text") > 3, "the page draws the stems along the axis")
            plane_pages(driver, program, directory, check)
            zoom_and_search(driver, program, directory, check)
            label_overlaps(driver, program, directory, check)
        finally:
            driver.quit()
    if failures:
        sys.exit("%d checks failed" % len(failures))


if __name__ == "__main__":
    main()
