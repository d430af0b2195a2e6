// The offline atlas: find a place and read its longitude and latitude in the program's
// fields (degrees, minutes, seconds; east and north positive) and its time zone.
"use strict";

const PLACE_TEXT = {
  en: {
    count: (n) => `${n.toLocaleString("en")} places`,
    found: (n, shown) => n > shown ? `${n} found, the first ${shown} shown` : `${n} found`,
    none: "No place of that name.",
    head: ["Place", "Region", "Country", "LON  Min  Sec", "LAT  Min  Sec", "Time zone"],
    minusZero: "≈: west of Greenwich or south of the equator by less than a degree. The record keeps the sign on the degrees alone, so it can't hold such an angle: the fields show the nearest value it can hold, with the true angle beside it.",
    page: "timezones-en.htm",
    placeholder: "Athens", label: "Place",
  },
  el: {
    count: (n) => `${n.toLocaleString("el")} τόποι`,
    found: (n, shown) => n > shown ? `Βρέθηκαν ${n}, φαίνονται οι πρώτοι ${shown}` : `Βρέθηκαν ${n}`,
    none: "Δεν υπάρχει τόπος με αυτό το όνομα.",
    head: ["Τόπος", "Περιφέρεια", "Χώρα", "Μήκ  Λεπ  Δευ", "Πλά  Λεπ  Δευ", "Ζώνη ώρας"],
    minusZero: "≈: δυτικά του Γκρίνουιτς ή νότια του ισημερινού κατά λιγότερο από μία μοίρα. Η εγγραφή κρατά το πρόσημο μόνο στις μοίρες και δεν χωρά τέτοια γωνία: τα πεδία δείχνουν την πλησιέστερη τιμή που χωρά, και δίπλα την πραγματική γωνία.",
    page: "timezones.htm",
    placeholder: "Αθήνα, Athens", label: "Τόπος",
  },
};

const MAX_SHOWN = 100;

// Degrees as the program's three fields, seconds rounded. An angle between 0 and 1
// degree west or south can't be held (the sign is on the degrees): the nearest value the
// record can hold, 0 or -1 degree, with the true angle kept to be shown beside it.
function programFields(value) {
  const negative = value < 0;
  const total = Math.round(Math.abs(value) * 3600);
  const deg = Math.floor(total / 3600);
  if (negative && deg === 0 && total > 0) {
    return {
      degrees: total >= 1800 ? -1 : 0, minutes: 0, seconds: 0, minusZero: true,
      exact: `${String(Math.floor(total / 60)).padStart(2, "0")}′${String(total % 60).padStart(2, "0")}″`,
    };
  }
  return {
    degrees: negative ? -deg : deg,
    minutes: Math.floor((total % 3600) / 60),
    seconds: total % 60,
    minusZero: false,
  };
}

// The key a name is matched by, as orvenda-chart matches it: lower case without accents
// or tonos, full stops and hyphens as blanks, and St, St. and Saint (Ste, Sainte) as one
// word.
function fold(s) {
  return s.normalize("NFD").replace(/[\u0300-\u036f]/g, "").toLowerCase().replace(/ς/g, "σ")
    .split(/[\s.\-]+/).filter((w) => w)
    .map((w) => (w === "st" ? "saint" : w === "ste" ? "sainte" : w)).join(" ");
}

let places = null;
function loadPlaces() {
  if (places) return places;
  const atlas = window.ORVENDA_ATLAS;
  places = atlas.places.split("\n").map((line) => {
    const [name, alt, country, lat, lon, zone, population, region, greek, others] = line.split("\t");
    const names = [name, alt, greek || "", ...(others ? others.split("|") : [])].filter((n) => n);
    return { name, alt, greek: greek || "", country, lat: Number(lat), lon: Number(lon),
             zone: atlas.zones[Number(zone)],
             region: (region && atlas.regions && atlas.regions[`${country}.${region}`]) || "",
             population: Number(population), keys: names.map(fold) };
  });
  return places;
}

// The country codes a folded qualifier names: a code (FR), a country's name in English or
// Greek (France, Γαλλία), as orvenda-chart reads them.
let countryKeys = null;
function countriesNamed(key) {
  if (!countryKeys) {
    countryKeys = new Map();
    for (const [code, names] of Object.entries(window.ORVENDA_ATLAS.countries)) {
      for (const k of [code, ...names].map(fold)) {
        if (!countryKeys.has(k)) countryKeys.set(k, new Set());
        countryKeys.get(k).add(code);
      }
    }
  }
  return countryKeys.get(key) || new Set();
}

// Places whose name (or other name) starts with the text, then those that contain it;
// each part by population, largest first (the atlas is already in that order). What
// follows a comma names the country or the region ("Paris, FR", "Αθήνα, Ελλάδα",
// "Springfield, Illinois"), as the tool takes it.
function findPlaces(text) {
  const parts = text.split(",").map((s) => s.trim());
  const q = fold(parts[0]);
  if (!q) return [];
  const qualifiers = parts.slice(1).map(fold).filter((k) => k)
    .map((k) => ({ key: k, codes: countriesNamed(k) }));
  const inPlace = (p) => qualifiers.every(({ key, codes }) =>
    codes.has(p.country) || (p.region && (p.regionKey ??= fold(p.region)) === key));
  const starts = [], contains = [];
  for (const p of loadPlaces()) {
    if (p.keys.some((k) => k.startsWith(q))) {
      if (inPlace(p)) starts.push(p);
    } else if (p.keys.some((k) => k.includes(q)) && inPlace(p)) {
      contains.push(p);
    }
  }
  return starts.concat(contains);
}

// The search and its table exist only where scripts run: a text browser shows the plain
// links to every country's places instead of an empty form.
function buildSearch(T) {
  const ui = document.getElementById("search-ui");
  const head = T.head.map((h) => `<th>${h.replace(/  /g, "&nbsp; ")}</th>`).join("");
  ui.innerHTML =
    `<p><input id="search" type="search" placeholder="${T.placeholder}" size="30" autofocus aria-label="${T.label}">\n` +
    `<span id="count"></span> · <span id="found"></span></p>\n` +
    `<table>\n<thead><tr>${head}</tr></thead>\n<tbody id="places"></tbody>\n</table>\n` +
    `<p id="minus-zero" class="warning"></p>`;
}

function initPlace(lang) {
  const T = PLACE_TEXT[lang];
  const $ = (id) => document.getElementById(id);
  buildSearch(T);
  const countries = window.ORVENDA_ATLAS.countries;
  $("count").textContent = T.count(loadPlaces().length);
  $("count").dataset.places = String(loadPlaces().length);
  const pad = (n) => String(n).padStart(2, "0");
  const cell = (text, cls) => {
    const td = document.createElement("td");
    td.textContent = text;
    if (cls) td.className = cls;
    return td;
  };
  function show() {
    const found = findPlaces($("search").value);
    const body = $("places");
    body.innerHTML = "";
    $("found").textContent = $("search").value.trim()
      ? (found.length ? T.found(found.length, Math.min(found.length, MAX_SHOWN)) : T.none) : "";
    let minusZero = false;
    for (const p of found.slice(0, MAX_SHOWN)) {
      const lon = programFields(p.lon), lat = programFields(p.lat);
      minusZero ||= lon.minusZero || lat.minusZero;
      const tr = document.createElement("tr");
      // A Greek place by its Greek name on the Greek page, its own name beside it.
      const shown = lang === "el" && p.greek ? `${p.greek} (${p.name})` : p.name;
      tr.appendChild(cell(shown + (p.alt && p.alt !== p.name ? ` (${p.alt})` : "")));
      tr.appendChild(cell(p.region));
      tr.appendChild(cell((countries[p.country] || [p.country, p.country])[lang === "el" ? 1 : 0]));
      // The nearest value the record holds, marked, with the true angle under it.
      const fields = (f, side, cls) => {
        const td = cell(`${String(f.degrees).padStart(4)} ${pad(f.minutes).padStart(4)} ${pad(f.seconds).padStart(4)}` +
          (f.minusZero ? " ≈" : "  "), cls);
        if (f.minusZero) {
          const exact = document.createElement("span");
          exact.className = "true";
          exact.textContent = `(0°${f.exact} ${side})`;
          td.appendChild(document.createElement("br"));
          td.appendChild(exact);
        }
        return td;
      };
      tr.appendChild(fields(lon, lang === "el" ? "Δ" : "W", "num lon"));
      tr.appendChild(fields(lat, lang === "el" ? "Ν" : "S", "num lat"));
      const zoneCell = document.createElement("td");
      const a = document.createElement("a");
      a.href = `${T.page}#zone=${encodeURIComponent(p.zone)}`;
      a.textContent = p.zone;
      zoneCell.appendChild(a);
      tr.appendChild(zoneCell);
      body.appendChild(tr);
    }
    $("minus-zero").textContent = minusZero ? T.minusZero : "";
  }
  $("search").addEventListener("input", show);
  const params = new URLSearchParams(location.hash.slice(1));
  if (params.get("q")) $("search").value = params.get("q");
  show();
}
