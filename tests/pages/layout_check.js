// Appended to a copy of a page that headless Chromium then lays out: it measures what a
// reader sees and replaces the page with one line, "LAYOUT <overlaps> <details>", for the
// shell to read from --dump-dom.
//
// - The page's text: every line box of every text node, against those of every other text
//   node. Two that share more than a pixel each way are text over text.
// - Each picture drawn in SVG (the sheet's wheel, a report's wheel of two charts and its
//   timeline: the SVG inside the image, put inline so that it can be measured): every
//   <text>'s box against every other's, and against every <line> and arc that is not a
//   label's own, as the browser's own fonts draw them.
(function () {
  const problems = [];
  const rects = [];
  const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
  for (let node = walker.nextNode(); node; node = walker.nextNode()) {
    if (!node.textContent.trim()) continue;
    const range = document.createRange();
    range.selectNodeContents(node);
    for (const r of range.getClientRects())
      if (r.width > 0 && r.height > 0) rects.push({ r, node });
  }
  const tolerance = 1;
  const overlap = (a, b) =>
    Math.min(a.right, b.right) - Math.max(a.left, b.left) > tolerance &&
    Math.min(a.bottom, b.bottom) - Math.max(a.top, b.top) > tolerance;
  for (let i = 0; i < rects.length; ++i)
    for (let j = i + 1; j < rects.length; ++j)
      if (rects[i].node !== rects[j].node && overlap(rects[i].r, rects[j].r))
        problems.push('text "' + rects[i].node.textContent.trim().slice(0, 20) + '" over "' +
                      rects[j].node.textContent.trim().slice(0, 20) + '"');

  // Whether the segment p–q passes through the box (shrunk by a pixel, so that a line that
  // only grazes a label's edge is not taken for one through it).
  function crosses(p, q, box) {
    const x0 = box.x + 1, y0 = box.y + 1, x1 = box.x + box.width - 1, y1 = box.y + box.height - 1;
    if (x1 <= x0 || y1 <= y0) return false;
    let t0 = 0, t1 = 1;
    const dx = q.x - p.x, dy = q.y - p.y;
    for (const [d, lo, hi, s] of [[dx, x0, x1, p.x], [dy, y0, y1, p.y]]) {
      if (Math.abs(d) < 1e-9) {
        if (s < lo || s > hi) return false;
        continue;
      }
      let a = (lo - s) / d, b = (hi - s) / d;
      if (a > b) [a, b] = [b, a];
      t0 = Math.max(t0, a);
      t1 = Math.min(t1, b);
      if (t0 > t1) return false;
    }
    return true;
  }

  let wheels = 0, timelines = 0;
  for (const img of document.querySelectorAll('img.wheel, img.biwheel, img.timeline')) {
    const src = decodeURIComponent(img.getAttribute('src').replace(/^data:image\/svg\+xml;charset=utf-8,/, ''));
    const holder = document.createElement('div');
    holder.innerHTML = src;
    document.body.appendChild(holder);
    const svg = holder.querySelector('svg');
    if (img.classList.contains('timeline')) ++timelines;
    else ++wheels;
    const texts = [...svg.querySelectorAll('text')].map(t => ({ t, b: t.getBBox() }));
    for (let i = 0; i < texts.length; ++i)
      for (let j = i + 1; j < texts.length; ++j) {
        const a = texts[i].b, b = texts[j].b;
        if (Math.min(a.x + a.width, b.x + b.width) - Math.max(a.x, b.x) > tolerance &&
            Math.min(a.y + a.height, b.y + b.height) - Math.max(a.y, b.y) > tolerance)
          problems.push(img.className + ': "' + texts[i].t.textContent + '" over "' + texts[j].t.textContent + '"');
      }
    // Lines, and the arcs that lead from a point's place to its glyph, sampled as segments.
    const segments = [];
    for (const l of svg.querySelectorAll('line'))
      segments.push([{ x: +l.getAttribute('x1'), y: +l.getAttribute('y1') },
                     { x: +l.getAttribute('x2'), y: +l.getAttribute('y2') }, 'line']);
    for (const p of svg.querySelectorAll('path[fill=none]')) {
      const n = 24, len = p.getTotalLength();
      for (let k = 0; k < n; ++k) {
        const a = p.getPointAtLength(len * k / n), b = p.getPointAtLength(len * (k + 1) / n);
        segments.push([{ x: a.x, y: a.y }, { x: b.x, y: b.y }, 'arc']);
      }
    }
    for (const { t, b } of texts)
      for (const [p, q, kind] of segments)
        if (crosses(p, q, b)) {
          problems.push(img.className + ': a ' + kind + ' through "' + t.textContent + '"');
          break;
        }
    holder.remove();
  }
  document.body.innerHTML = '<pre id="layout">LAYOUT ' + problems.length + ' wheels=' + wheels +
                            ' timelines=' + timelines + ' texts=' + rects.length + ' ' +
                            problems.slice(0, 8).join('; ') + '</pre>';
})();
