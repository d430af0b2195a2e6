// The offset from GMT in force at a local date and time in a time zone, from the same
// periods as the zone pages' tables (assets/zones.js, made from the system's time-zone
// database), in the program's form: gmtHours and gmtMinutes with the minutes always 0..59
// (3 h 30 min behind GMT is -4, 30).
"use strict";

const TZ_TEXT = {
  en: {
    ok: "Enter these in the program's GMT and min fields:", min: "min",
    gap: "This local time did not exist in this zone: the clocks were put forward past it.",
    fold: "This local time happened twice in this zone: the clocks were put back.",
    first: "first time", second: "second time", before: "before the change", after: "after the change",
    seconds: "The zone's offset had seconds then; it is rounded to the nearest minute, a half minute away from GMT (-0:44:30 is -0:45).",
    bad: "Choose a time zone, a date and a time.",
    here: "Your computer's zone",
    zone: "Time zone", date: "Date", time: "Time",
  },
  el: {
    ok: "Γράψτε αυτά στα πεδία GMT και Λεπ του προγράμματος:", min: "Λεπ",
    gap: "Αυτή η τοπική ώρα δεν υπήρξε σε αυτή τη ζώνη: τα ρολόγια πήγαν μπροστά.",
    fold: "Αυτή η τοπική ώρα συνέβη δύο φορές σε αυτή τη ζώνη: τα ρολόγια γύρισαν πίσω.",
    first: "πρώτη φορά", second: "δεύτερη φορά", before: "πριν από την αλλαγή", after: "μετά την αλλαγή",
    seconds: "Η διαφορά της ζώνης είχε τότε δευτερόλεπτα· στρογγυλεύεται στο πλησιέστερο λεπτό, το μισό λεπτό μακριά από το GMT (-0:44:30 γίνεται -0:45).",
    bad: "Επιλέξτε ζώνη ώρας, ημερομηνία και ώρα.",
    here: "Η ζώνη του υπολογιστή σας",
    zone: "Ζώνη ώρας", date: "Ημερομηνία", time: "Ωρα",
  },
};

// ---- the zones' periods (assets/zones.js, the same periods as the zone pages' tables) ----

function utc(y, mo, d, h, mi, s) {
  const date = new Date(0);
  date.setUTCFullYear(y, mo - 1, d);
  date.setUTCHours(h, mi, s || 0, 0);
  return date.getTime();
}

// A POSIX TZ rule of a zone file's footer ("GMT0BST,M3.5.0/1,M10.5.0"): what the zone
// does after the last period of its table.
function parseRule(text) {
  let i = 0;
  const name = () => {
    if (text[i] === "<") { const e = text.indexOf(">", i); const n = text.slice(i + 1, e); i = e + 1; return n; }
    const m = /^[A-Za-z]+/.exec(text.slice(i)); i += m[0].length; return m[0];
  };
  const clock = () => {
    const m = /^([+-]?)(\d+)(?::(\d+))?(?::(\d+))?/.exec(text.slice(i)); i += m[0].length;
    return (m[1] === "-" ? -1 : 1) * (Number(m[2]) * 3600 + Number(m[3] || 0) * 60 + Number(m[4] || 0));
  };
  const day = () => {
    const m = /^(?:M(\d+)\.(\d)\.(\d)|J(\d+)|(\d+))/.exec(text.slice(i)); i += m[0].length;
    let time = 7200;
    if (text[i] === "/") { ++i; time = clock(); }
    return m[1] ? { month: Number(m[1]), week: Number(m[2]), weekday: Number(m[3]), time }
      : m[4] ? { julian: Number(m[4]), time } : { zeroBased: Number(m[5]), time };
  };
  const rule = { stdName: name(), std: -clock() };
  if (i >= text.length) return rule;
  rule.dstName = name();
  rule.dst = i < text.length && text[i] !== "," ? -clock() : rule.std + 3600;
  if (text[i] === ",") { ++i; rule.start = day(); ++i; rule.end = day(); }
  else { rule.start = { month: 3, week: 2, weekday: 0, time: 7200 }; rule.end = { month: 11, week: 1, weekday: 0, time: 7200 }; }
  return rule;
}

function ruleDay(d, year) {  // seconds since 1970 of the day's midnight
  const leap = (year % 4 === 0 && year % 100 !== 0) || year % 400 === 0;
  const jan1 = utc(year, 1, 1, 0, 0, 0) / 1000;
  if (d.julian !== undefined) return jan1 + (d.julian - 1 + (leap && d.julian >= 60 ? 1 : 0)) * 86400;
  if (d.zeroBased !== undefined) return jan1 + d.zeroBased * 86400;
  const first = utc(year, d.month, 1, 0, 0, 0) / 1000;
  const firstWeekday = new Date(first * 1000).getUTCDay();
  let dayOfMonth = 1 + ((d.weekday - firstWeekday + 7) % 7) + (d.week - 1) * 7;
  const length = new Date(Date.UTC(year, d.month, 0)).getUTCDate();
  while (dayOfMonth > length) dayOfMonth -= 7;
  return first + (dayOfMonth - 1) * 86400;
}

function ruleAt(rule, t) {  // the offset of the rule at t (seconds since 1970 UT)
  if (rule.dst === undefined) return { offset: rule.std, summer: false, abbr: rule.stdName };
  const year = new Date(t * 1000).getUTCFullYear();
  const changes = [];
  for (let y = year - 1; y <= year + 1; ++y) {
    changes.push({ at: ruleDay(rule.start, y) + rule.start.time - rule.std, dst: true });
    changes.push({ at: ruleDay(rule.end, y) + rule.end.time - rule.dst, dst: false });
  }
  changes.sort((a, b) => a.at - b.at);
  let k = 0;
  while (k < changes.length && changes[k].at <= t) ++k;
  const dst = k === 0 ? !changes[0].dst : changes[k - 1].dst;
  const offset = dst ? rule.dst : rule.std;
  return { offset, summer: offset > Math.min(rule.std, rule.dst), abbr: dst ? rule.dstName : rule.stdName };
}

// A zone's periods by any of its names: the database's links (Asia/Calcutta for
// Asia/Kolkata, UTC for Etc/UTC) are names a browser gives its own zone by.
function zoneData(zone) {
  const links = window.ORVENDA_ZONE_LINKS || {};
  const own = (o, k) => Object.prototype.hasOwnProperty.call(o, k);
  const name = own(links, zone) ? links[zone] : zone;
  if (!own(window.ORVENDA_ZONES, name)) throw new Error("zone");
  return window.ORVENDA_ZONES[name];
}

// The offset in force at instant t (seconds since 1970 UT).
function offsetAt(zone, t) {
  const z = zoneData(zone);
  if (z.r && t > z.t) return ruleAt(z.rule || (z.rule = parseRule(z.r)), t).offset;
  let offset = z.p[0][1];
  for (const [start, o] of z.p) {
    if (start !== null && start > t) break;
    offset = o;
  }
  return offset;
}

// No clock of the database was farther from GMT than Manila's -15:56:08 (before 1845): the
// instants that showed a local time lie within this of that time read as GMT.
const REACH = 16 * 3600;

// Every change of the zone's offset after `from` until `to` (seconds since 1970 UT), each
// with the offsets before and after it, in order: the table's, then the rule's.
function changesBetween(zone, from, to) {
  const z = zoneData(zone);
  const out = [];
  const tableEnd = z.r ? z.t : Infinity;
  for (let i = 1; i < z.p.length; ++i) {
    const at = z.p[i][0];
    if (at > to || at > tableEnd) break;
    if (at > from) out.push({ at, before: z.p[i - 1][1], after: z.p[i][1] });
  }
  if (z.r && to > z.t) {
    const rule = z.rule || (z.rule = parseRule(z.r));
    const start = Math.max(from, z.t);
    if (z.t + 1 > from && z.t + 1 <= to) {
      // Where the rule takes over from the table, in case they differ.
      const before = offsetAt(zone, z.t), after = ruleAt(rule, z.t + 1).offset;
      if (before !== after) out.push({ at: z.t + 1, before, after });
    }
    if (rule.dst !== undefined) {
      const first = new Date(start * 1000).getUTCFullYear() - 1;
      const last = new Date(to * 1000).getUTCFullYear() + 1;
      for (let y = first; y <= last; ++y) {
        for (const [day, before, after] of [[rule.start, rule.std, rule.dst], [rule.end, rule.dst, rule.std]]) {
          const at = ruleDay(day, y) + day.time - before;
          if (at > start && at <= to && before !== after) out.push({ at, before, after });
        }
      }
    }
  }
  return out.sort((a, b) => a.at - b.at);
}

// Every instant at which the zone's clocks showed the local time: none in a gap, two
// in a fold. Each with its offset in seconds. Every offset the zone kept within reach of
// the local time is tried, so a change of a day (Alaska in 1867) is found as readily as
// an hour's.
function resolveLocal(zone, y, mo, d, h, mi) {
  const wall = utc(y, mo, d, h, mi, 0) / 1000;
  const offsets = new Set([offsetAt(zone, wall - REACH)]);
  for (const c of changesBetween(zone, wall - REACH, wall + REACH)) offsets.add(c.after);
  const hits = [];
  for (const o of offsets) {
    const t = wall - o;
    if (offsetAt(zone, t) === o && !hits.some((x) => x.t === t)) hits.push({ t, offset: o });
  }
  return hits.sort((a, b) => a.t - b.t);
}

// For a local time that did not exist: the offsets before and after the change that
// skipped it, whatever the zone's distance from GMT (Auckland's spring: +12, then +13).
function gapAround(zone, y, mo, d, h, mi) {
  const wall = utc(y, mo, d, h, mi, 0) / 1000;
  for (const c of changesBetween(zone, wall - REACH, wall + REACH))
    if (c.at + c.before <= wall && wall < c.at + c.after) return [c.before, c.after];
  return null;
}

// The program's fields for an offset in seconds, rounded to the nearest minute, a half
// minute away from GMT (Monrovia's -0:44:30 is -0:45), as the tool and the zone pages round.
function programForm(offsetSeconds) {
  const minutes = Math.sign(offsetSeconds) * Math.round(Math.abs(offsetSeconds) / 60);
  const hours = Math.floor(minutes / 60);
  return { gmtHours: hours, gmtMinutes: minutes - 60 * hours };
}

// The computer's zone as the database names it. A browser names its own zone as the
// system does, but where the system's name is none of the database's it gives what it can:
// Chromium in the zone "GMT" says "+00:00", and an offset is no zone to look up. An offset
// (or GMT or UTC alone) of whole hours is the database's Etc zone of it, Etc/UTC for none
// (the Etc zones count west positive: +05:00 is Etc/GMT-5); anything else stays as named.
function databaseZone(name, known) {
  if (known(name)) return name;
  const m = /^(?:GMT|UTC)?(?:([+-])(\d{1,2})(?::?(\d\d))?)?$/.exec(name || "");
  if (!m || (!m[1] && !/^(GMT|UTC)$/.test(name))) return name;
  const minutes = m[1] ? (m[1] === "-" ? -1 : 1) * (Number(m[2]) * 60 + Number(m[3] || 0)) : 0;
  const zone = minutes === 0 ? "Etc/UTC"
    : minutes % 60 === 0 ? `Etc/GMT${minutes > 0 ? "-" : "+"}${Math.abs(minutes) / 60}` : "";
  return zone && known(zone) ? zone : name;
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
  // Every name of the database, its links included, as the browser may name its own zone.
  const zones = Object.keys(window.ORVENDA_ZONES).concat(Object.keys(window.ORVENDA_ZONE_LINKS || {})).sort();
  const known = (z) => Object.hasOwn(window.ORVENDA_ZONES, z) ||
    Object.hasOwn(window.ORVENDA_ZONE_LINKS || {}, z);
  const here = databaseZone(Intl.DateTimeFormat().resolvedOptions().timeZone, known);
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
    // In a gap the clocks showed this time neither before nor after: both offsets are given.
    const candidates = hits.length ? hits : (gapAround(zone, y, mo, d, h, mi) || []).map((offset) => ({ offset }));
    if (hits.length === 0) warn.textContent = T.gap;
    if (hits.length === 2) warn.textContent = T.fold;
    candidates.forEach((c, i) => {
      const f = programForm(c.offset);
      const p = document.createElement("p");
      p.className = "result";
      const label = candidates.length !== 2 ? ""
        : hits.length === 2 ? ` (${i === 0 ? T.first : T.second})` : ` (${i === 0 ? T.before : T.after})`;
      p.innerHTML = `${T.ok}${label} GMT <output id="gmtHours${i ? i + 1 : ""}">${f.gmtHours}</output>` +
        ` ${T.min} <output id="gmtMinutes${i ? i + 1 : ""}">${f.gmtMinutes}</output>`;
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
