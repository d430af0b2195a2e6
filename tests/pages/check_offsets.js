// The offset form's own script (assets/timezones.js over assets/zones.js), run outside the
// browser and held to zdump's offsets: every zone at random instants from 1850 to 2100,
// random local times near changes, and a local time inside every gap and every repeated
// hour zdump lists from 1800 to 2100, each resolved to every instant that showed it (none
// in a gap, with the offsets before and after; two in a repeated hour).
// Usage: node check_offsets.js ZONES_JS TIMEZONES_JS REFERENCE_JSON INSTANTS_PER_ZONE
"use strict";
const fs = require("fs");
const vm = require("vm");
const [zonesFile, scriptFile, referenceFile, perZoneText] = process.argv.slice(2);
const context = { window: {}, document: undefined, console };
vm.createContext(context);
vm.runInContext(fs.readFileSync(zonesFile, "utf8"), context);
vm.runInContext(fs.readFileSync(scriptFile, "utf8") +
                "\n;this.offsetAt = offsetAt; this.resolveLocal = resolveLocal; this.programForm = programForm;" +
                " this.gapAround = gapAround;",
                context);
const reference = JSON.parse(fs.readFileSync(referenceFile, "utf8"));
const perZone = Number(perZoneText);

// A small generator of its own, so that a failure can be run again.
let seed = 1957;
const random = () => ((seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648);

const from = Date.UTC(1850, 0, 1) / 1000, to = Date.UTC(2101, 0, 1) / 1000;
function zdumpOffset(changes, t) {
  let lo = 0, hi = changes.length - 1, offset = changes[0][1];
  while (lo <= hi) {
    const mid = (lo + hi) >> 1;
    if (changes[mid][0] <= t) { offset = changes[mid][1]; lo = mid + 1; } else hi = mid - 1;
  }
  return offset;
}
// zdump's answer for a local time (seconds since 1970 as if it were GMT): every instant
// that showed it, from every offset the zone kept within 16 hours of it (no clock was
// farther from GMT: Manila's -15:56:08), and for a time that never showed, the offsets
// before and after the change that skipped it.
const REACH = 16 * 3600;
function zdumpLocal(changes, wall) {
  const offsets = new Set([zdumpOffset(changes, wall - REACH)]);
  for (const [t, o] of changes) if (t > wall - REACH && t <= wall + REACH) offsets.add(o);
  const hits = [...offsets].filter((o) => zdumpOffset(changes, wall - o) === o).map((o) => wall - o);
  let gap = null;
  for (let i = 1; i < changes.length && !gap; ++i) {
    const [at, after] = changes[i], before = changes[i - 1][1];
    if (before !== after && at + before <= wall && wall < at + after) gap = [before, after];
  }
  return { hits: hits.sort((a, b) => a - b), gap };
}
function check(zone, changes, wall, kind) {
  const d = new Date(wall * 1000);
  const args = [zone, d.getUTCFullYear(), d.getUTCMonth() + 1, d.getUTCDate(), d.getUTCHours(), d.getUTCMinutes()];
  const page = context.resolveLocal(...args).map((h) => h.t).join(",");
  const want = zdumpLocal(changes, wall);
  let ok = page === want.hits.join(",");
  let pageGap = "", wantGap = "";
  if (ok && want.hits.length === 0) {
    pageGap = String(context.gapAround(...args)), wantGap = String(want.gap);
    ok = pageGap === wantGap;
  }
  if (!ok) {
    ++wrong;
    if (faults.length < 12)
      faults.push(`${zone} ${kind} ${d.toISOString().slice(0, 16)}: page [${page}] ${pageGap}, zdump [${want.hits}] ${wantGap}`);
  }
  return want.hits.length;
}

let instants = 0, wrong = 0, locals = 0, folds = 0, gaps = 0, eastGaps = 0;
const faults = [];
for (const zone of Object.keys(reference)) {
  const changes = reference[zone];
  for (let i = 0; i < perZone; ++i) {
    const t = Math.floor(from + random() * (to - from));
    const page = context.offsetAt(zone, t), zdump = zdumpOffset(changes, t);
    ++instants;
    if (page !== zdump) {
      ++wrong;
      if (faults.length < 12) faults.push(`${zone} at ${new Date(t * 1000).toISOString()}: page ${page}, zdump ${zdump}`);
    }
  }
  // Local times near changes after 1900, at random.
  for (const [t] of changes) {
    if (t < Date.UTC(1900, 0, 1) / 1000 || random() > 0.2) continue;
    const near = t + zdumpOffset(changes, t) + Math.floor((random() - 0.5) * 7200);
    ++locals;
    check(zone, changes, near - (((near % 60) + 60) % 60), "near a change");  // whole minutes
  }
  // Every local time a change skipped or passed twice, 1800 to 2100: a minute inside each
  // (where one lies inside: a change of seconds may hold none).
  for (let i = 1; i < changes.length; ++i) {
    const [at, after] = changes[i], before = changes[i - 1][1];
    if (before === after || at >= to) continue;
    const low = at + Math.min(before, after), high = at + Math.max(before, after);
    const wall = Math.floor((low + high) / 2 / 60) * 60;
    if (wall < low) continue;
    ++locals;
    const n = check(zone, changes, wall, after > before ? "gap" : "fold");
    if (n === 0) ++gaps;
    if (n === 0 && Math.min(before, after) >= 41400) ++eastGaps;  // 11:30 or more ahead of GMT
    if (n === 2) ++folds;
  }
}
// One rounding rule for half minutes: Monrovia's -0:44:30 is -0:45, the fields -1 and 15.
const monrovia = context.programForm(-2670);
if (monrovia.gmtHours !== -1 || monrovia.gmtMinutes !== 15) {
  ++wrong;
  faults.push(`-0:44:30 as ${monrovia.gmtHours} ${monrovia.gmtMinutes}, not -1 15`);
}
console.log(`${Object.keys(reference).length} zones, ${instants} instants, ${locals} local times ` +
            `(${gaps} skipped, ${eastGaps} of them 11:30 or more ahead of GMT, ${folds} repeated): ` +
            `${wrong} disagree with zdump`);
for (const f of faults) console.log("  " + f);
process.exit(wrong === 0 ? 0 : 1);
