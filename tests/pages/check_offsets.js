// The offset form's own script (assets/timezones.js over assets/zones.js), run outside the
// browser and held to zdump's offsets: every zone at random instants from 1850 to 2100,
// and random local times, each resolved to every instant that showed it (none in a gap, two
// in a repeated hour).
// Usage: node check_offsets.js ZONES_JS TIMEZONES_JS REFERENCE_JSON INSTANTS_PER_ZONE
"use strict";
const fs = require("fs");
const vm = require("vm");
const [zonesFile, scriptFile, referenceFile, perZoneText] = process.argv.slice(2);
const context = { window: {}, document: undefined, console };
vm.createContext(context);
vm.runInContext(fs.readFileSync(zonesFile, "utf8"), context);
vm.runInContext(fs.readFileSync(scriptFile, "utf8") +
                "\n;this.offsetAt = offsetAt; this.resolveLocal = resolveLocal; this.programForm = programForm;",
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
let instants = 0, wrong = 0, locals = 0, folds = 0, gaps = 0;
const faults = [];
for (const zone of Object.keys(reference)) {
  const changes = reference[zone];
  for (let i = 0; i < perZone; ++i) {
    const t = Math.floor(from + random() * (to - from));
    const page = context.offsetAt(zone, t), zdump = zdumpOffset(changes, t);
    ++instants;
    if (page !== zdump) {
      ++wrong;
      if (faults.length < 10) faults.push(`${zone} at ${new Date(t * 1000).toISOString()}: page ${page}, zdump ${zdump}`);
    }
  }
  // Local times near each change after 1900, where gaps and repeated hours are.
  for (const [t] of changes) {
    if (t < Date.UTC(1900, 0, 1) / 1000 || random() > 0.2) continue;
    const near = t + zdumpOffset(changes, t) + Math.floor((random() - 0.5) * 7200);
    const wall = near - (((near % 60) + 60) % 60);  // the form takes whole minutes
    const d = new Date(wall * 1000);
    const hits = context.resolveLocal(zone, d.getUTCFullYear(), d.getUTCMonth() + 1, d.getUTCDate(),
                                      d.getUTCHours(), d.getUTCMinutes());
    const expected = new Set();
    for (let k = -15; k <= 13; ++k) {
      const o = zdumpOffset(changes, wall + k * 3600);
      if (zdumpOffset(changes, wall - o) === o) expected.add(wall - o);
    }
    ++locals;
    if (expected.size === 0) ++gaps;
    if (expected.size === 2) ++folds;
    const got = hits.map((h) => h.t).sort().join(","), want = [...expected].sort().join(",");
    if (got !== want) {
      ++wrong;
      if (faults.length < 10) faults.push(`${zone} local ${d.toISOString().slice(0, 16)}: page [${got}], zdump [${want}]`);
    }
  }
}
// One rounding rule for half minutes: Monrovia's -0:44:30 is -0:45, the fields -1 and 15.
const monrovia = context.programForm(-2670);
if (monrovia.gmtHours !== -1 || monrovia.gmtMinutes !== 15) {
  ++wrong;
  faults.push(`-0:44:30 as ${monrovia.gmtHours} ${monrovia.gmtMinutes}, not -1 15`);
}
console.log(`${Object.keys(reference).length} zones, ${instants} instants, ${locals} local times ` +
            `(${gaps} skipped, ${folds} repeated): ${wrong} disagree with zdump`);
for (const f of faults) console.log("  " + f);
process.exit(wrong === 0 ? 0 : 1);
