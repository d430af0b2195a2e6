// The offline atlas: find a place and read its longitude and latitude in the program's
// fields (degrees, minutes, seconds; east and north positive) and its time zone.
"use strict";

const PLACE_TEXT = {
  en: {
    count: (n) => `${n.toLocaleString("en")} places`,
    found: (n, shown) => n > shown ? `${n} found, the first ${shown} shown` : `${n} found`,
    none: "No place of that name.",
    head: ["Place", "Region", "Country", "LON  Min  Sec", "LAT  Min  Sec", "Time zone"],
    minusZero: "West of Greenwich or south of the equator by less than a degree: the program keeps the sign in the degrees, so enter 0 there and take care.",
    page: "timezones-en.htm",
    placeholder: "Athens", label: "Place",
  },
  el: {
    count: (n) => `${n.toLocaleString("el")} τόποι`,
    found: (n, shown) => n > shown ? `Βρέθηκαν ${n}, φαίνονται οι πρώτοι ${shown}` : `Βρέθηκαν ${n}`,
    none: "Δεν υπάρχει τόπος με αυτό το όνομα.",
    head: ["Τόπος", "Περιφέρεια", "Χώρα", "Μήκ  Λεπ  Δευ", "Πλά  Λεπ  Δευ", "Ζώνη ώρας"],
    minusZero: "Δυτικά του Γκρίνουιτς ή νότια του ισημερινού κατά λιγότερο από μία μοίρα: το πρόγραμμα κρατά το πρόσημο στις μοίρες, γράψτε εκεί 0 και προσέξτε.",
    page: "timezones.htm",
    placeholder: "Αθήνα, Athens", label: "Τόπος",
  },
};

const MAX_SHOWN = 100;

// Degrees as the program's three fields, seconds rounded.
function programFields(value) {
  const negative = value < 0;
  const total = Math.round(Math.abs(value) * 3600);
  const deg = Math.floor(total / 3600);
  return {
    degrees: negative ? -deg : deg,
    minutes: Math.floor((total % 3600) / 60),
    seconds: total % 60,
    minusZero: negative && deg === 0 && total > 0,
  };
}

function fold(s) {
  return s.normalize("NFD").replace(/[\u0300-\u036f]/g, "").toLowerCase();
}

let places = null;
function loadPlaces() {
  if (places) return places;
  const atlas = window.ORVENDA_ATLAS;
  places = atlas.places.split("\n").map((line) => {
    const [name, alt, country, lat, lon, zone, population, region] = line.split("\t");
    return { name, alt, country, lat: Number(lat), lon: Number(lon), zone: atlas.zones[Number(zone)],
             region: (region && atlas.regions && atlas.regions[`${country}.${region}`]) || "",
             population: Number(population), key: fold(name), altKey: fold(alt) };
  });
  return places;
}

// Places whose name (or other name) starts with the text, then those that contain it;
// each part by population, largest first (the atlas is already in that order).
function findPlaces(text) {
  const q = fold(text.trim());
  if (!q) return [];
  const starts = [], contains = [];
  for (const p of loadPlaces()) {
    if (p.key.startsWith(q) || p.altKey.startsWith(q)) starts.push(p);
    else if (p.key.includes(q) || p.altKey.includes(q)) contains.push(p);
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
      tr.appendChild(cell(p.name + (p.alt && p.alt !== p.name ? ` (${p.alt})` : "")));
      tr.appendChild(cell(p.region));
      tr.appendChild(cell((countries[p.country] || [p.country, p.country])[lang === "el" ? 1 : 0]));
      const fields = (f) => `${(f.minusZero ? "-0" : String(f.degrees)).padStart(4)} ${pad(f.minutes).padStart(4)} ${pad(f.seconds).padStart(4)}`;
      tr.appendChild(cell(fields(lon), "num lon"));
      tr.appendChild(cell(fields(lat), "num lat"));
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
