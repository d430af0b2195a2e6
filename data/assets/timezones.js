// The offset from GMT in force at a local date and time in a time zone, from the
// browser's own time-zone data, in the program's form: gmtHours and gmtMinutes with
// the minutes always 0..59 (3 h 30 min behind GMT is -4, 30).
"use strict";

const TZ_TEXT = {
  en: {
    ok: "Enter these in the program's GMT and min fields:",
    gap: "This local time did not exist in this zone: the clocks were put forward past it.",
    fold: "This local time happened twice in this zone: the clocks were put back.",
    first: "first time", second: "second time",
    seconds: "The zone's offset had seconds then; it is rounded to the minute.",
    bad: "Choose a time zone, a date and a time.",
    here: "Your computer's zone",
    zone: "Time zone", date: "Date", time: "Time",
  },
  el: {
    ok: "Γράψτε αυτά στα πεδία GMT και Λεπ του προγράμματος:",
    gap: "Αυτή η τοπική ώρα δεν υπήρξε σε αυτή τη ζώνη: τα ρολόγια πήγαν μπροστά.",
    fold: "Αυτή η τοπική ώρα συνέβη δύο φορές σε αυτή τη ζώνη: τα ρολόγια γύρισαν πίσω.",
    first: "πρώτη φορά", second: "δεύτερη φορά",
    seconds: "Η διαφορά της ζώνης είχε τότε δευτερόλεπτα· στρογγυλεύεται στο λεπτό.",
    bad: "Επιλέξτε ζώνη ώρας, ημερομηνία και ώρα.",
    here: "Η ζώνη του υπολογιστή σας",
    zone: "Ζώνη ώρας", date: "Ημερομηνία", time: "Ωρα",
  },
};

const formatters = new Map();
function wallClock(zone, t) {
  let f = formatters.get(zone);
  if (!f) {
    f = new Intl.DateTimeFormat("en-US", {
      timeZone: zone, hourCycle: "h23", year: "numeric", month: "numeric", day: "numeric",
      hour: "numeric", minute: "numeric", second: "numeric", era: "short",
    });
    formatters.set(zone, f);
  }
  const p = {};
  for (const part of f.formatToParts(new Date(t))) p[part.type] = part.value;
  let year = Number(p.year);
  if (p.era === "BC" || p.era === "B") year = 1 - year;
  return utc(year, Number(p.month), Number(p.day), Number(p.hour), Number(p.minute), Number(p.second));
}

function utc(y, mo, d, h, mi, s) {
  const date = new Date(0);
  date.setUTCFullYear(y, mo - 1, d);
  date.setUTCHours(h, mi, s || 0, 0);
  return date.getTime();
}

// Offset in seconds at instant t.
function offsetAt(zone, t) {
  return Math.round((wallClock(zone, t) - Math.floor(t / 1000) * 1000) / 1000);
}

// Every instant at which the zone's clocks showed the local time: none in a gap, two
// in a fold, one otherwise. Each with its offset in seconds.
function resolveLocal(zone, y, mo, d, h, mi) {
  const wall = utc(y, mo, d, h, mi, 0);
  const offsets = new Set([-1, 0, 1].map((k) => offsetAt(zone, wall + k * 43200000)));
  const hits = [];
  for (const o of offsets) {
    const t = wall - o * 1000;
    if (wallClock(zone, t) === wall && !hits.some((x) => x.t === t)) hits.push({ t, offset: o });
  }
  return hits.sort((a, b) => a.t - b.t);
}

// The program's fields for an offset in seconds.
function programForm(offsetSeconds) {
  const minutes = Math.round(offsetSeconds / 60);
  const hours = Math.floor(minutes / 60);
  return { gmtHours: hours, gmtMinutes: minutes - 60 * hours };
}

// The form exists only where scripts run: a text browser shows the link to every zone's
// history instead of three empty boxes.
function buildForm(T) {
  document.getElementById("offset-ui").innerHTML =
    `<p><label>${T.zone} <input id="zone" list="zones" size="32" autocomplete="off"></label>\n` +
    `<datalist id="zones"></datalist>\n` +
    `<label>${T.date} <input id="date" type="date" min="1800-01-01" max="2100-12-31"></label>\n` +
    `<label>${T.time} <input id="time" type="time"></label></p>\n` +
    `<p class="note" id="here"></p>\n<div id="result"></div>\n<p id="warning" class="warning"></p>`;
}

function initTimezones(lang) {
  const T = TZ_TEXT[lang];
  const $ = (id) => document.getElementById(id);
  buildForm(T);
  const zones = (Intl.supportedValuesOf ? Intl.supportedValuesOf("timeZone") : []).slice();
  const here = Intl.DateTimeFormat().resolvedOptions().timeZone;
  if (!zones.includes(here)) zones.push(here);
  zones.sort();
  const list = $("zones");
  for (const z of zones) {
    const o = document.createElement("option");
    o.value = z;
    list.appendChild(o);
  }
  const params = new URLSearchParams(location.hash.slice(1) || location.search.slice(1));
  $("zone").value = params.get("zone") || here;
  const now = new Date();
  const pad = (n) => String(n).padStart(2, "0");
  $("date").value = params.get("date") || `${now.getFullYear()}-${pad(now.getMonth() + 1)}-${pad(now.getDate())}`;
  $("time").value = params.get("time") || `${pad(now.getHours())}:${pad(now.getMinutes())}`;
  $("here").textContent = `${T.here}: ${here}`;

  function show() {
    const zone = $("zone").value.trim();
    const [y, mo, d] = $("date").value.split("-").map(Number);
    const [h, mi] = $("time").value.split(":").map(Number);
    const out = $("result"), warn = $("warning");
    out.innerHTML = "";
    warn.textContent = "";
    let hits;
    try {
      if (!zone || ![y, mo, d, h, mi].every(Number.isFinite)) throw new Error("input");
      hits = resolveLocal(zone, y, mo, d, h, mi);
    } catch (e) {
      warn.textContent = T.bad;
      return;
    }
    const candidates = hits.length ? hits : (() => {
      // In a gap the clocks showed this time neither before nor after: give both offsets.
      const wall = utc(y, mo, d, h, mi, 0);
      return [...new Set([-1, 1].map((k) => offsetAt(zone, wall + k * 43200000)))].map((offset) => ({ offset }));
    })();
    if (hits.length === 0) warn.textContent = T.gap;
    if (hits.length === 2) warn.textContent = T.fold;
    candidates.forEach((c, i) => {
      const f = programForm(c.offset);
      const p = document.createElement("p");
      p.className = "result";
      const label = candidates.length === 2 && hits.length === 2 ? ` (${i === 0 ? T.first : T.second})` : "";
      p.innerHTML = `${T.ok}${label} GMT <output id="gmtHours${i ? i + 1 : ""}">${f.gmtHours}</output>` +
        ` min <output id="gmtMinutes${i ? i + 1 : ""}">${f.gmtMinutes}</output>`;
      out.appendChild(p);
      if (c.offset % 60 !== 0) warn.textContent += " " + T.seconds;
    });
    try {
      history.replaceState(null, "", `#zone=${encodeURIComponent(zone)}&date=${$("date").value}&time=${$("time").value}`);
    } catch (e) {
      // Some browsers refuse to change the address of a local file; the result stands.
    }
  }
  for (const id of ["zone", "date", "time"]) $(id).addEventListener("input", show);
  show();
}
