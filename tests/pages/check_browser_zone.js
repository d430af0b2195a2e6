// The offset form's name for the computer's zone, run outside the browser: what a browser
// reports as its zone is taken to a name of the database where it is none (headless
// Chromium under TZ=GMT reports "+00:00", under TZ=UTC0 "UTC", under TZ=Asia/Kolkata
// "Asia/Kolkata"). Each answer is held to the system's own database: the name is one of
// its zones, and `date` there gives the offset the browser's name meant.
// Usage: node check_browser_zone.js TIMEZONES_JS
"use strict";
const fs = require("fs");
const vm = require("vm");
const { execFileSync } = require("child_process");
const context = { window: {}, document: undefined, console };
vm.createContext(context);
vm.runInContext(fs.readFileSync(process.argv[2], "utf8") + "\n;this.databaseZone = databaseZone;",
                context);
const known = (z) => /^[A-Za-z][A-Za-z0-9_+\/-]*$/.test(z) && fs.existsSync(`/usr/share/zoneinfo/${z}`);
let failures = 0;
// The name the browser gives, what the form takes it for, and that zone's offset (date +%z).
const cases = [
  ["+00:00", "Etc/UTC", "+0000"],
  ["+05:00", "Etc/GMT-5", "+0500"],
  ["-03:00", "Etc/GMT+3", "-0300"],
  ["GMT+2", "Etc/GMT-2", "+0200"],
  ["UTC", "UTC", "+0000"],
  ["Asia/Kolkata", "Asia/Kolkata", "+0530"],
  // Not whole hours: no Etc zone holds it, and the name is left as the browser gave it.
  ["+05:30", "+05:30", null],
  ["Nowhere/Else", "Nowhere/Else", null],
];
for (const [browser, want, offset] of cases) {
  const got = context.databaseZone(browser, known);
  let ok = got === want;
  let said = "";
  if (ok && offset) {
    said = execFileSync("date", ["-d", "2024-01-15T12:00Z", "+%z"], { env: { TZ: got } }).toString().trim();
    ok = said === offset && known(got);
  }
  console.log(`${ok ? "ok  " : "FAIL"} ${browser} -> ${got}${offset ? ` (${said})` : ""}`);
  if (!ok) ++failures;
}
process.exit(failures ? 1 : 0);
