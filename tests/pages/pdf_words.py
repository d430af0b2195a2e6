#!/usr/bin/env python3
"""The words of a printed report against the page it was printed from, as pdftotext finds
them: two words whose boxes overlap are text over text, two on one line with no space
between them ran into each other, and a word the page doesn't have is two run together;
in the aspect grid, whose lines part its cells, neighbouring marks may touch. A heading, or
the grid's legend, that is the last line of its page has been parted from what it leads to.
Boxes that share more than a quarter of the lower one's height, and a stretch across, are
text over text: lines of tight leading share less.
Usage: pdf_words.py PAGE.html REPORT.pdf; prints the count of problems, then the first few.
"""
import html
import re
import subprocess
import sys
import urllib.parse

page, pdf = sys.argv[1], sys.argv[2]
source = urllib.parse.unquote(open(page, encoding="utf-8").read())
# The page's own text, its wheels' labels among it, what its style writes in the margins,
# and the page numbers.
styles = " ".join(re.findall(r"<style.*?</style>", source, re.S))
margins = " ".join(re.findall(r'content:[^;]*?"([^"]*)"', styles))
# And what it writes from the elements' own attributes (the sheet's "A" for applying).
for name in set(re.findall(r"attr\(([\w-]+)\)", styles)):
    margins += " " + " ".join(html.unescape(v) for v in re.findall(name + r'="([^"]*)"', source))
source = re.sub(r"<style.*?</style>", " ", source, flags=re.S)
# What leads to what follows it: the headings, and the grid's legend under its heading.
leads = [" ".join(html.unescape(re.sub(r"<[^>]*>", "", h)).split()) for h in
         re.findall(r"<h[1-4][^>]*>(.*?)</h[1-4]>", source, re.S) +
         re.findall(r"</h2>\s*<p class=\"note\">(.*?)</p>", source, re.S)]
# The aspect grid's marks stand in cells of their own, its lines between them: marks of
# neighbouring cells may touch.
cells = {html.unescape(c).replace("\ufe0e", "").strip() for table in
         re.findall(r'<table class="grid".*?</table>', source, re.S)
         for c in re.findall(r"<t[hd][^>]*>([^<]*)</t[hd]>", table)} - {""}


def of_cells(word):
    """Whether the word is marks of the grid's cells, one after another."""
    ends = {0}
    for i in range(1, len(word) + 1):
        if any(word[j:i] in cells for j in ends if j < i):
            ends.add(i)
    return len(word) in ends


text = html.unescape(re.sub(r"<[^>]*>", " ", source)) + " " + margins
vocabulary = set(text.replace("\ufe0e", "").split()) | {"/"} | {str(n) for n in range(1, 100)}
# A word with a hyphen may be broken at it at the end of a line: "half-" and "finished".
halves = {h for v in vocabulary for i in range(1, len(v) - 1) if v[i] == "-"
          for h in (v[:i + 1], v[i + 1:])}

out = subprocess.run(["pdftotext", "-bbox", pdf, "-"], capture_output=True, text=True,
                     check=True).stdout
problems = []
for n, body in enumerate(re.findall(r"<page[^>]*>(.*?)</page>", out, re.S), 1):
    words = [(float(a), float(b), float(c), float(d), html.unescape(w)) for a, b, c, d, w in
             re.findall(r'xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)<',
                        body)]
    for x0, y0, x1, y1, w in words:
        w = w.replace("\ufe0e", "")
        if w not in vocabulary and w not in halves and not of_cells(w):
            problems.append(f"page {n}: '{w}' is no word of the page")
    # The last line above the page's foot: no heading, nor the end of one, stands there alone.
    lines = {}
    for x0, y0, x1, y1, w in words:
        lines.setdefault(round(y1), []).append((x0, w))
    body = sorted(lines)[:-1]
    if body:
        last = " ".join(w for _, w in sorted(lines[body[-1]]))
        # Two headings side by side share the line: the last of them ends it.
        if any(lead.endswith(last) or last.endswith(" " + lead) for lead in leads):
            problems.append(f"page {n}: '{last}' ends the page, what it leads to on the next")
    for i in range(len(words)):
        for j in range(i + 1, len(words)):
            a, b = words[i], words[j]
            across = min(a[2], b[2]) - max(a[0], b[0])  # above 0: they share a stretch
            down = min(a[3], b[3]) - max(a[1], b[1])
            # A box runs from the font's ascent to its descent, taller than a line of tight
            # leading (the sheet's tables): lines apart share less than a quarter of it.
            if across > 0.5 and down > max(0.5, 0.25 * min(a[3] - a[1], b[3] - b[1])):
                problems.append(f"page {n}: '{a[4]}' over '{b[4]}'")
            elif (down > 0.5 * min(a[3] - a[1], b[3] - b[1]) and across > -1 and
                  not (of_cells(a[4]) and of_cells(b[4]))):
                problems.append(f"page {n}: '{a[4]}' runs into '{b[4]}'")
print(len(problems), *problems[:8], sep="; ")
