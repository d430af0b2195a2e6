// orvenda-chart's command line: the usage, each command's help, and the dispatch to the
// commands (cmd_*.cpp). Each command checks everything it was given before it writes
// anything, and every chart goes through the program's own crash-safe file layer.
#include "tool/commands.h"

#include <iostream>
#include <map>

#include "platform/posix_file_system.h"
#include "tool/tool.h"

namespace orvenda::tool {
namespace {

constexpr const char* kUsage =
    "usage: orvenda-chart [-C DIR] COMMAND [ARGS]\n"
    "\n"
    "Birth records for Orvenda, in the working directory (or DIR): the charts of NAMES/.\n"
    "\n"
    "  list [--csv]             every chart, with its fields as the main screen shows them\n"
    "  show NAME                one chart: its fields, universal time, Julian day, place\n"
    "  new NAME --date DATE --time TIME (--place PLACE | --lon LON --lat LAT) [--zone ZONE]\n"
    "      [--offset OFFSET] [--force]\n"
    "                           writes a chart, with the offset of GMT in force then and there\n"
    "  place QUERY              places of the offline atlas, in the program's fields\n"
    "  offset ZONE DATE TIME    the offset of GMT at that local clock time (ZONE may be a place)\n"
    "  export [--format csv|aaf] [NAME...]\n"
    "                           charts to standard output, all of them when no name is given\n"
    "  import [--format csv|aaf] [--force] FILE\n"
    "                           charts from FILE (- for standard input)\n"
    "  chart NAME [--houses SYSTEM] [--time-unknown] [--json]\n"
    "                           the natal chart: positions, houses and aspects\n"
    "  traditional NAME [--houses SYSTEM] [--bounds egyptian|ptolemaic]\n"
    "      [--json | --reading | --html FILE | --pdf FILE]\n"
    "                           sect, dignities and scores, receptions, dispositors, the lots\n"
    "  timelords NAME [--date DATE | --from DATE --to DATE] [--lot spirit|fortune]\n"
    "      [--json | --reading | --ics | --html FILE | --pdf FILE] [-o FILE]\n"
    "                           profections, firdaria and zodiacal releasing\n"
    "  directions NAME [--from DATE --to DATE] [--solar-arc [--naibod] | --primary]\n"
    "      [--key KEY] [--json | --reading | --ics | --html FILE | --pdf FILE]\n"
    "                           solar arc directions in a period, or primary directions\n"
    "  sky [NAME] [--from DATE] [--to DATE] [--place PLACE | --lon LON --lat LAT]\n"
    "      [--lunations] [--eclipses] [--void [--modern]] [--hours DATE]\n"
    "      [--json | --ics | --reading | --html FILE | --pdf FILE]\n"
    "                           lunations, eclipses, the void Moon, planetary hours\n"
    "  prenatal NAME [--json]   the new or full moon and the eclipses before birth\n"
    "  sheet NAME [--houses SYSTEM] [--time-unknown] [--sex man|woman] [-o FILE | --pdf FILE]\n"
    "                           the print sheet that R writes, for any chart\n"
    "  reading NAME [--houses SYSTEM] [--time-unknown] [--sex man|woman] [--json]\n"
    "                           the natal reading in the horoscope language\n"
    "  texts check [LANGUAGE]   what the interpretation texts get wrong or lack\n"
    "  transits NAME [--from DATE] [--to DATE] [--orb DEG] [--moon] [--zone ZONE]\n"
    "      [--bodies LIST] [--aspects LIST] [--natal LIST] [--with-sky]\n"
    "      [--by-transit | --json | --ics | --ics-spans | --html FILE | --pdf FILE] [-o FILE]\n"
    "                           the moving planets over the chart, with exact instants\n"
    "  progressions NAME [--date DATE | --from DATE --to DATE] [--naibod] [--json]\n"
    "                           the secondary progressed chart and its aspects to the natal\n"
    "  return NAME (--year YEAR | --lunar DATE) [--place PLACE | --lon LON --lat LAT]\n"
    "      [--json | --html FILE | --pdf FILE]\n"
    "                           the solar return of a year, or the next lunar return\n"
    "  now NAME [--at DATETIME | --with NAME2] [--json | --html FILE | --pdf FILE]\n"
    "                           the sky of a moment around the chart, with the aspects between\n"
    "  synastry A B [--json | --html FILE | --pdf FILE]\n"
    "                           two charts compared: their aspects, each in the other's houses\n"
    "  composite A B [--json]   the chart of the midpoints of two charts\n"
    "  davison A B [--json]     the chart of the moment and place halfway between two births\n"
    "\n"
    "'orvenda-chart COMMAND --help' tells more of each. The exit status is 0 on success,\n"
    "1 when anything was refused or failed, 2 for a command line that is not understood.\n";

const std::map<std::string, std::string> kCommandHelp = {
    {"list",
     "usage: orvenda-chart list [--csv]\n"
     "Every chart in NAMES/ and its sub-folders, sorted by name: the date, clock time, GMT\n"
     "offset, longitude and latitude as the main screen shows them, and whether it has a\n"
     "notes file. --csv gives the same as CSV, with a header row.\n"},
    {"show",
     "usage: orvenda-chart show NAME\n"
     "One chart: its 14 fields, the local date and time, the offset, the universal time, the\n"
     "Julian day (UT), and the longitude and latitude in degrees, minutes and seconds and\n"
     "as decimal degrees.\n"},
    {"new",
     "usage: orvenda-chart new NAME --date DATE --time TIME\n"
     "         (--place PLACE | --lon LON --lat LAT) [--zone ZONE] [--offset OFFSET] [--force]\n"
     "Writes the chart NAME (as the program's Save does, with an empty notes file).\n"
     "  DATE    YYYY-MM-DD or D.M.YYYY, the year in four digits (Gregorian calendar,\n"
     "          years 0001 to 9999)\n"
     "  TIME    HH:MM or HH:MM:SS, the local clock time, 24-hour\n"
     "  PLACE   City, \"City, CC\" (ISO country code), \"City, Country\" or\n"
     "          \"City, Region, CC\"; case and accents don't matter\n"
     "  LON LAT D:M:S or decimal degrees, signed or with a letter: 73:58:12W 40.7128N\n"
     "  ZONE    an IANA zone (Europe/Athens); without it, the place's zone, or for\n"
     "          coordinates the zone whose boundary holds them (at sea, the nautical\n"
     "          zone of the longitude, Etc/GMT-10 for 150 E); without the boundaries\n"
     "          file, coordinates on land need ZONE or OFFSET\n"
     "  OFFSET  +H:MM or -H:MM, within 16:15 of GMT; settles a clock time that was\n"
     "          skipped or passed twice\n"
     "The offset is that of the local clock time at the place, from the system's time-zone\n"
     "database; before a zone kept standard time, the place's own mean time, on the side of\n"
     "the date line the zone kept. A place whose name fits several is listed with the\n"
     "--lon and --lat of each. An existing chart is replaced only with --force (its notes\n"
     "stay as they are).\n"},
    {"place",
     "usage: orvenda-chart place QUERY\n"
     "The places of the offline atlas whose name is QUERY or starts with it (\"Sao Paulo\",\n"
     "\"London, GB\", \"Springfield, Illinois\"), the largest first: region, country,\n"
     "longitude and latitude in the program's fields, the time zone and the population.\n"
     "A name is a place's own, another of its names (Wien, Posen) or its Greek name, and a\n"
     "Greek query finds Latin names too. new --place takes the place ten times as large as\n"
     "any other the name fits (Roma is Rome); but a place of 100,000 or more whose own name\n"
     "it is keeps it (Dili is Dili, not Delhi). Otherwise it lists them, largest first.\n"},
    {"offset",
     "usage: orvenda-chart offset ZONE DATE TIME [--lon LON]\n"
     "The offset of GMT in force at that local clock time in ZONE (an IANA zone, or a\n"
     "place of the atlas), in the program's GMT and min fields. Before the zone kept\n"
     "standard time it is local mean time: give --lon for the mean time of a longitude.\n"},
    {"export",
     "usage: orvenda-chart export [--format csv|aaf] [NAME...]\n"
     "Charts to standard output, all of them when no name is given. csv (the default) has a\n"
     "header of the record's fields and one chart a row, and imports back byte for byte.\n"
     "aaf writes #A93 and #B93 lines: the name and first name (a chart \"Surname, Given\"),\n"
     "the date (with g before 15 October 1582), the Julian day (UT), the place to the\n"
     "minute of arc, the zone's standard offset and the summer time (5hw00,0), and #ZNAM\n"
     "where the zone's abbreviation is known. A chart AAF can't carry (no date of the\n"
     "calendar, a damaged file, the name \"*\") is left out and named on standard error.\n"},
    {"import",
     "usage: orvenda-chart import [--format csv|aaf] [--force] FILE\n"
     "Charts from FILE (- for standard input): CSV as export writes it, or AAF (#A93 and\n"
     "#B93 lines). One line per record says whether it was written or skipped and why. An\n"
     "existing chart is replaced only with --force. The format is AAF when the file ends in\n"
     ".aaf or holds #A93 lines, else CSV. An AAF record's offset is that of its zone and\n"
     "summer-time fields or its Julian day, which must agree, else of its place's zone;\n"
     "its date is of the Julian calendar before 15 October 1582 unless marked g. CSV's\n"
     "columns are read by the header's names; a value outside the record's ranges (month\n"
     "1 to 12, the offset within 16:15 of GMT) refuses its row. Charts are written a\n"
     "thousand at a time; each is said to be written once it is on disk.\n"},
    {"chart",
     "usage: orvenda-chart chart NAME [--houses SYSTEM] [--time-unknown] [--json]\n"
     "The natal chart of a saved record with the working directory's configuration\n"
     "(settings/): the positions of the planets and points that take part, the house cusps\n"
     "with their rulers, and the aspects within the configured orbs. --json prints one\n"
     "object for other programs. SYSTEM is placidus (the default), koch, porphyry,\n"
     "regiomontanus, campanus, equal, equal-mc, equal-aries, vehlow, whole-sign,\n"
     "alcabitius, morinus, topocentric, meridian, horizontal, carter, krusinski,\n"
     "pullen-sd, pullen-sr, sripati, sunshine or apc. Where a system can't be computed\n"
     "(Placidus and Koch beyond the polar circles) Porphyry is used, and said.\n"
     "--time-unknown is for a birth whose time nobody knows: the planets at noon of the\n"
     "local day, the Moon's range over that day, and no houses, angles or points that need\n"
     "the time. A date the main screen rolls over (31 June is 1 July there) is the chart of\n"
     "the day it shows; a file that is not a chart's 56 bytes gives no chart.\n"},
    {"traditional",
     "usage: orvenda-chart traditional NAME [--houses SYSTEM] [--bounds egyptian|ptolemaic]\n"
     "                                [--time-unknown] [--json | --reading | --html FILE |\n"
     "                                --pdf FILE] [--sex man|woman]\n"
     "The chart as Hellenistic and medieval astrology judges it, for the seven planets: the\n"
     "sect (a day chart when the Sun's true altitude is above the horizon, whatever its\n"
     "house), each planet's rulers of domicile, exaltation, triplicity (Dorotheus: by day,\n"
     "by night, participating), bound and face (Chaldean, from Mars at 0 Aries), and Lilly's\n"
     "score with its parts (domicile +5, exaltation +4, triplicity +3 for the ruler of the\n"
     "sect, bound +2, face +1, detriment -5, fall -4, peregrine -5); the rulers of the\n"
     "angles; receptions (mutual by domicile, exaltation or mixed, and a planet received by\n"
     "the lord of its sign or exaltation that beholds it by sign); the chains of\n"
     "dispositors, the final dispositor or the loops; house, whole-sign house, joy, motion\n"
     "and the Sun (oriental, combust within 8 30', under the beams within 15, cazimi within\n"
     "17'); Paulus' seven lots (Fortune, Spirit, Eros, Necessity, Courage, Victory, Nemesis)\n"
     "by day or night; the almuten of the chart (Ibn Ezra: the most points as ruler over\n"
     "the Sun, the Moon, the Ascendant, Fortune and the new or full moon before birth);\n"
     "antiscia and contra-antiscia within 1; declinations at the date's obliquity,\n"
     "parallels and contraparallels within 1, and out of bounds; the stars of magnitude 2.0\n"
     "or brighter within 1 of a point (1 30' of a light or an angle), with Ptolemy's nature.\n"
     "--bounds picks the Egyptian bounds (the default) or Ptolemy's. --json prints one\n"
     "object: sect, planets (dignities, score, accidental), angles, receptions, dispositors,\n"
     "lots, almuten, antiscia, declinations, stars. --reading prints the traditional\n"
     "reading instead, in the horoscope language, from the texts' traditional.txt (sect,\n"
     "condition, mutual receptions, the lots by whole-sign house, the stars, out of bounds);\n"
     "--html and --pdf write the report instead (the wheel with the lots and the stars\n"
     "marked, the tables, the reading and a glossary naming the sources), whole or not at\n"
     "all, the PDF by WeasyPrint or headless Chromium as for transits. --sex as for\n"
     "reading. SYSTEM as for chart.\n"},
    {"directions",
     "usage: orvenda-chart directions NAME [--from DATE] [--to DATE] [--zone ZONE]\n"
     "                               [--solar-arc [--naibod] |\n"
     "                                --primary [--key ptolemy|naibod|solar]\n"
     "                               [--method placidus|regiomontanus] [--latitude]\n"
     "                               [--zodiacal | --mundane]]\n"
     "                               [--json | --ics | --reading | --html FILE | --pdf FILE]\n"
     "                               [--sex man|woman] [-o FILE]\n"
     "The solar arc directions (--solar-arc, the default) exact in a period (the twelve\n"
     "months from today without --from and --to), in the astrologer's zone: every point of\n"
     "the chart carried by the solar arc (the progressed Sun's longitude less the natal\n"
     "Sun's, a day after birth for each tropical year of life; --naibod by Naibod's rate,\n"
     "0.98564733 a year) that makes an aspect switched on to a natal point, with the exact\n"
     "date, the arc, the age and the dates it is within 1 of arc. --primary gives the primary "
     "directions instead: the\n"
     "planets, the North Node and the Lots of Fortune and Spirit (the promissors) with\n"
     "their Ptolemaic aspects, carried by the diurnal rotation to the Midheaven, the\n"
     "Ascendant, the Sun, the Moon and the Lot of Fortune (the significators), direct and\n"
     "converse. Zodiacal: the promissor's aspect point in the zodiac, without latitude\n"
     "(--latitude with the promissor's); mundane: the body to the significator's place or a\n"
     "quadrant's proportion from it. Places by Placidus' semi-arcs, or by Regiomontanus'\n"
     "circles of position; --zodiacal or --mundane gives one kind alone. The arc is turned\n"
     "into years by Ptolemy's key (a degree a year), Naibod's or the true solar arc; a life\n"
     "to 100 years, or those dated in --from and --to. --json prints one object: the\n"
     "method, the key and the directions; --ics a calendar of their dates; --reading reads\n"
     "the directions of the seven planets to the significators in the period (the twelve\n"
     "months from today without one) from the texts' timelords.txt. --html and --pdf\n"
     "write the report: the primary directions of a life in a picture (a row for each\n"
     "significator) and a table, the solar arc directions of the period and the reading\n"
     "of both, in the horoscope language. -o FILE writes the text, --json, --ics or\n"
     "--reading into FILE whole instead of standard output.\n"},
    {"sky",
     "usage: orvenda-chart sky [NAME] [--from DATE] [--to DATE] [--zone ZONE]\n"
     "                         [--place PLACE | --lon LON --lat LAT]\n"
     "                         [--lunations] [--eclipses] [--void [--modern]]\n"
     "                         [--hours DATE] [--sex man|woman] [-o FILE]\n"
     "                         [--json | --ics | --reading | --html FILE | --pdf FILE]\n"
     "The sky of a period (the twelve months from today without --from and --to), one line\n"
     "per moment under each month, in the astrologer's zone: the new moons, first quarters,\n"
     "full moons and last quarters, to the minute, with the Moon's degree; the solar eclipses\n"
     "(total, annular, hybrid, partial) and lunar ones (total, partial, penumbral) at their\n"
     "greatest, with the magnitude (the lunar ones' umbral) and the Saros series; and the\n"
     "void-of-course Moon, from its last Ptolemaic aspect to the Sun .. Saturn (--modern:\n"
     "to Pluto) until it enters the next sign. --lunations, --eclipses and --void pick\n"
     "among them (all three without any). With NAME, each lunation's and eclipse's natal\n"
     "house and the natal points it touches: a lunation's aspects switched on within 3, an\n"
     "eclipse's degree or the opposite one within 3 of a point. With --place or --lon and\n"
     "--lat, whether each eclipse is seen there, and a solar one's local contacts and\n"
     "magnitude. --hours DATE gives that day's planetary hours at the place instead: twelve\n"
     "from sunrise to sunset and twelve to the next sunrise, in the Chaldean order from the\n"
     "day's ruler. --json prints one object, every instant in UT; --ics a calendar (the void\n"
     "Moon as stretches). --reading (with NAME) reads the period in the horoscope language:\n"
     "each new and full moon by its natal house, each eclipse by its house and the points it\n"
     "touches, the void Moon with its count of stretches, the new or full moon before birth\n"
     "(--sex man|woman chooses the texts' words). --html FILE and --pdf FILE write the\n"
     "report: the natal wheel with the period's lunations marked round it (with NAME), the\n"
     "lunations, eclipses and void Moon in tables, and the reading. -o FILE writes the text,\n"
     "--json, --ics or --reading into FILE whole instead of standard output.\n"},
    {"prenatal",
     "usage: orvenda-chart prenatal NAME [--zone ZONE] [--houses SYSTEM] [--json] [-o FILE]\n"
     "The syzygy before the birth: the last new or full moon, and the last solar and lunar\n"
     "eclipses before it, with their instants in the astrologer's zone, their degrees and\n"
     "natal houses. --json prints one object, every instant in UT.\n"},
    {"timelords",
     "usage: orvenda-chart timelords NAME [--date DATE | --from DATE --to DATE] [--zone ZONE]\n"
     "                              [--lot spirit|fortune] [--levels 1-4] [--year 360|365.25]\n"
     "                              [--json | --reading | --ics | --html FILE | --pdf FILE]\n"
     "                              [--sex man|woman] [-o FILE]\n"
     "The time lords in force on a date (default now) or every period of a span, in the\n"
     "astrologer's zone: the annual profection (the Ascendant's sign moved a sign a year,\n"
     "birthday to birthday, by whole signs) with its house and its lord, the lord of the\n"
     "year, and the monthly profections (a twelfth of the year each); the firdaria (by day\n"
     "from the Sun, by night from the Moon: Sun 10, Venus 8, Mercury 13, Moon 9, Saturn 11,\n"
     "Jupiter 12, Mars 7, the North Node 3 and the South Node 2 years of 365.2425 days, each\n"
     "planet's in seven, its own first and then the Chaldean order); and Valens' zodiacal\n"
     "releasing from the Lot of Spirit (--lot fortune from Fortune): each sign its ruler's\n"
     "minor years of 360 days (--year 365.25 for calendar years), the levels below in a\n"
     "twelfth of the one above (30 days, 2.5 days, 5 hours), the loosing of the bond where a\n"
     "level has gone once round the signs, the peaks in the signs angular to Fortune (the\n"
     "10th from it the strongest). --levels how many (4 on a date, 2 over a span). --json\n"
     "prints one object: profections, firdaria, releasing. --reading reads the lords in\n"
     "force on the date in the horoscope language, from the texts' timelords.txt. --ics\n"
     "writes the periods as an iCalendar file instead, an event from each period's first\n"
     "instant to its last (the years and months, the firdaria and their sub-periods, the\n"
     "releasing's levels asked; the twelve months from the date without --from and --to).\n"
     "--html and --pdf write the report (a picture of the periods across the years, birth to\n"
     "the hundredth year without --from and --to, the date read ruled across it; the tables\n"
     "of the periods and the reading of the lords in force on the date), whole or not at\n"
     "all. -o writes the text, --json, --reading or --ics into FILE, whole or not at all.\n"
     "--sex as for reading. The time must be known.\n"},
    {"sheet",
     "usage: orvenda-chart sheet NAME [--houses SYSTEM] [--time-unknown] [--sex man|woman]\n"
     "                          [-o FILE]\n"
     "The print sheet that the program's R writes (birth data, wheel, tables), for any saved\n"
     "chart, in the horoscope language of settings/langhor, on standard output or into FILE\n"
     "(written whole, or not at all). --time-unknown draws it as the program does with the\n"
     "time un-known (F2): no houses, the Moon's range over the day. The chart's pages are\n"
     "followed by the reading, as 'orvenda-chart reading' writes it. --sex is the one the\n"
     "program asks for before R; no file keeps it, so without it the sheet says \"not chosen\".\n"},
    {"reading",
     "usage: orvenda-chart reading NAME [--houses SYSTEM] [--time-unknown] [--sex man|woman]\n"
     "                            [--json]\n"
     "The natal reading that R adds to the print sheet, in the horoscope language of\n"
     "settings/langhor, as text wrapped at 80 columns, or with --json as one object (each\n"
     "chapter, each entry with its keys and text). It follows the chart settings: the points\n"
     "and aspects that take part and their orbs, the borderline width (a point near the next\n"
     "sign or house cusp also gets that one's text), the rulers (changeRulers) and the\n"
     "natural rulers (zodiacRulersAlways). The texts are the shipped set of the language,\n"
     "with the working directory's READING/en or READING/el files over it entry by entry.\n"
     "A factor without a text is left out, and counted at the end. --sex chooses the words\n"
     "a Greek text has for a man and for a woman; without it, the first (the generic form).\n"},
    {"transits",
     "usage: orvenda-chart transits NAME [--from DATE] [--to DATE] [--orb DEG] [--moon]\n"
     "         [--bodies LIST] [--aspects LIST] [--natal LIST] [--zone ZONE] [--houses SYSTEM]\n"
     "         [--time-unknown] [--sex man|woman] [--with-sky]\n"
     "         [--by-transit | --json | --ics | --ics-spans | --html FILE | --pdf FILE] [-o FILE]\n"
     "The transits of the period over the saved chart NAME: each planet and point that takes\n"
     "part (settings/naplch; the Moon only with --moon, its transits are many) against each\n"
     "natal point that takes part (the angles only with the birth time known), for each\n"
     "aspect switched on (settings/naaspset), both sides of it. For each, every stretch it\n"
     "stands within the orb (1 degree; --orb DEG) from the minute it comes in to the minute\n"
     "it leaves (a planet that turns back short of exact leaves and comes in again), every\n"
     "minute it is exact (three where the planet turns back over the point); the planets'\n"
     "stations and their entries into the signs and the natal houses.\n"
     "  DATE    YYYY-MM-DD or D.M.YYYY, whole days in ZONE; by default the twelve months\n"
     "          from today\n"
     "  ZONE    the zone the times are told in (an IANA name); by default the system's\n"
     "  LIST    names separated by commas (Saturn,Pluto; North Node; square,trine), or a group:\n"
     "          --bodies slow (Jupiter to Pluto and Chiron), fast (the Sun to Mars) or all;\n"
     "          --aspects major (the five Ptolemaic) or all; --natal personal (the lights,\n"
     "          Mercury, Venus, Mars and the angles) or all. A group keeps to what the\n"
     "          configuration lets take part; a name is computed even where it is switched off\n"
     "Text: the transits already within the orb as the period begins, then one line per\n"
     "moment, in time order, under each month. --by-transit: one line per transit, its\n"
     "stretches within the orb and its exact days (℞ where the planet is retrograde), then\n"
     "the stations and ingresses. --json: one object, the times in UTC. --ics: an iCalendar\n"
     "file of every exact instant, for your calendar (a newer file updates the events of an\n"
     "older one); --ics-spans: one event for each stretch within the orb, from the minute it\n"
     "comes in to the minute it leaves. --html FILE: a report with the chart and the sky of\n"
     "the period's start around it, a timeline of the slow planets' transits, the list by\n"
     "transit and the reading (over more than a month, the fast planets' transits are\n"
     "counted, not listed, unless --bodies chooses them); --pdf FILE the same as PDF, made by\n"
     "WeasyPrint or Chromium. Text, --json and the calendars go to standard output, or whole\n"
     "into FILE with -o. --with-sky adds the period's new moons, quarters, full moons and\n"
     "eclipses, each with its natal house and the natal points it touches: among the lines\n"
     "(after the transits with --by-transit), as \"sky\" in --json, as events of the\n"
     "calendars, and as a row of the report's timeline and a table of its list.\n"},
    {"progressions",
     "usage: orvenda-chart progressions NAME [--date DATE | --from DATE --to DATE] [--naibod]\n"
     "         [--orb DEG] [--bodies LIST] [--aspects LIST] [--natal LIST] [--zone ZONE]\n"
     "         [--houses SYSTEM] [--sex man|woman] [--json] [-o FILE]\n"
     "The secondary progressions of the saved chart NAME: the chart of the day after birth\n"
     "that stands for the date (a day for each tropical year of life, 365.24219 days; by\n"
     "default today), its Midheaven carried by the solar arc (the progressed Sun's) or, with\n"
     "--naibod, by Naibod's rate (0.98564733 degrees a year), and the Ascendant and houses\n"
     "from it at the birth latitude; the progressed Moon's sign and natal house; the\n"
     "progressed bodies within the orb (1 degree) of a natal point, each with the minutes it\n"
     "is exact. With --from and --to, the period's progressed ingresses (the Moon's into its\n"
     "signs and the natal houses among them) and every progressed-to-natal aspect. Only the\n"
     "instants from birth to the 120th year, and within the period when one is given.\n"
     "--bodies, --aspects and --natal choose as transits' do.\n"},
    {"return",
     "usage: orvenda-chart return NAME (--year YEAR | --lunar DATE |\n"
     "         --planet PLANET [--from DATE] [--to DATE] [--zone ZONE])\n"
     "         [--place PLACE | --lon LON --lat LAT] [--houses SYSTEM] [--sex man|woman]\n"
     "         [--json | --html FILE | --pdf FILE]\n"
     "The solar return of YEAR (the instant, to the second, the Sun comes back to its natal\n"
     "longitude) or the first lunar return after DATE (the Moon's), as a whole chart with\n"
     "houses at the birth place, or at PLACE or the coordinates given (where one lives that\n"
     "year). --json: {\"name\", \"kind\", \"at\", \"chart\"}. --html and --pdf: the return\n"
     "chart with the natal chart around it, the aspects between them and the reading of\n"
     "the return's Ascendant. --planet (Mercury, Venus, Mars, Jupiter, Saturn): every\n"
     "return of that planet to its natal longitude in the period (the twelve months from\n"
     "today without --from and --to), each pass of a planet turning back over its degree\n"
     "among them, each to the second with the return chart's angles and the planet's house;\n"
     "--json each with its whole chart.\n"},
    {"now",
     "usage: orvenda-chart now NAME [--at DATETIME | --with NAME2] [--orb DEG] [--zone ZONE]\n"
     "         [--houses SYSTEM] [--json | --html FILE | --pdf FILE]\n"
     "The sky of a moment around the saved chart NAME, and the aspects between the two within\n"
     "the orb (1 degree; --orb DEG): by default now; --at \"2027-03-14 05:19\" a moment in ZONE;\n"
     "--with NAME2 the moment and place of another saved chart (one the program's Chart for\n"
     "Now saved, say). --json: the two charts and the aspects; --html and --pdf: the wheel.\n"},
    {"synastry",
     "usage: orvenda-chart synastry A B [--houses SYSTEM] [--time-unknown [NAME]]\n"
     "         [--json | --html FILE | --pdf FILE]\n"
     "Two saved charts compared, with the configuration of settings/: the aspects between\n"
     "every point of A and every point of B that take part, by the rule of the natal aspects\n"
     "(the smaller of the aspect's orb and the mean of the two points' values), closest\n"
     "first; each chart's points in the other's houses (where its time is known); the\n"
     "composite chart (the near midpoint of each point, the houses from the composite\n"
     "Midheaven at the latitude halfway between the births) and the Davison chart (the sky\n"
     "of the moment and place halfway between the births). --json as one object; --html and\n"
     "--pdf a report with the two charts in one wheel, the aspect grid, the houses, the\n"
     "composite and Davison wheels and the reading of the relationship, in the horoscope\n"
     "language. --time-unknown NAME: the birth time of the chart NAME (A or B) is not known,\n"
     "given once for each such chart; the other keeps its houses and the points in them.\n"
     "--time-unknown alone: neither time is known.\n"},
    {"composite",
     "usage: orvenda-chart composite A B [--houses SYSTEM] [--time-unknown [NAME]]\n"
     "         [--json]\n"
     "The composite chart of two saved charts, as chart writes a chart: each point at the\n"
     "near midpoint of its two places, the Midheaven likewise, the Ascendant and the houses\n"
     "derived from it at the latitude halfway between the births. --time-unknown as for\n"
     "synastry; with a time not known, the Moon's range is the midpoints of the two Moons'\n"
     "ranges over their days.\n"},
    {"davison",
     "usage: orvenda-chart davison A B [--houses SYSTEM] [--time-unknown [NAME]]\n"
     "         [--json]\n"
     "The Davison chart of two saved charts, as chart writes a chart: the natal chart of the\n"
     "universal instant halfway between the births, at the place halfway between them (the\n"
     "latitudes averaged, the longitude on the shorter arc).\n"},
    {"texts",
     "usage: orvenda-chart texts check [LANGUAGE]\n"
     "Checks the interpretation texts of LANGUAGE (en or el; both when not given): the\n"
     "shipped set and the working directory's READING/ files. Lists each malformed line and\n"
     "unknown key as FILE:LINE: what, then the keys that have no text. Exit status 1 when\n"
     "anything is listed. The format is told in READING/README.txt.\n"},
};

// The two-chart commands' --time-unknown: followed by a chart's name, that birth's time is
// not known (given once for each chart it is); alone, both births' (as it always was). A
// name after it is one of the two operands, so a command line whose operands come short
// once the names are taken was the flag alone before them: "synastry --time-unknown A B".
std::optional<Options> twoChartOptions(Tool& t, const std::string& command,
                                       const std::vector<std::string>& args, std::size_t from,
                                       const std::vector<std::string>& withValue,
                                       const std::vector<std::string>& flags) {
  constexpr std::string_view kFlag = "--time-unknown";
  auto parse = [&](bool takeNames) -> std::optional<Options> {
    std::vector<std::string> rest(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(from)),
        names;
    bool bare = false;
    for (std::size_t k = from; k < args.size(); ++k) {
      const std::string& a = args[k];
      if (a == "--") {
        rest.insert(rest.end(), args.begin() + static_cast<std::ptrdiff_t>(k), args.end());
        break;
      }
      if (a.starts_with(std::string(kFlag) + "=")) {
        names.push_back(a.substr(kFlag.size() + 1));
      } else if (a != kFlag) {
        rest.push_back(a);
      } else if (takeNames && k + 1 < args.size() && !args[k + 1].starts_with("-")) {
        names.push_back(args[++k]);
      } else {
        bare = true;
      }
    }
    auto o = parseOptions(t, command, rest, from, withValue, flags);
    if (!o) return std::nullopt;
    if (bare) o->switches.emplace_back(kFlag);
    o->timeUnknownNames = names;
    return o;
  };
  std::ostream& err = t.err;
  auto o = parse(true);
  // The names taken back as operands: nothing else differs, so nothing new is said.
  if (o && o->operands.size() != 2 && !o->timeUnknownNames.empty()) {
    auto old = parse(false);
    if (old && old->operands.size() == 2) o = old;
  }
  if (!o || o->operands.size() != 2) return o;
  for (const std::string& name : o->timeUnknownNames)
    if (name != o->operands[0] && name != o->operands[1]) {
      err << "orvenda-chart " << command << ": --time-unknown " << name << " names neither "
          << o->operands[0] << " nor " << o->operands[1] << "\n"
          << "Try 'orvenda-chart " << command << " --help'.\n";
      return std::nullopt;
    }
  return o;
}

}  // namespace

int runTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Tool t{".", out, err, nullptr, std::nullopt, false, std::nullopt, false, {}};
  std::size_t i = 0;
  while (i < args.size() && args[i].size() > 1 && args[i][0] == '-') {
    if (args[i] == "-C") {
      if (i + 1 >= args.size()) return err << "orvenda-chart: -C needs a folder\n", 2;
      t.dir = args[i + 1];
      i += 2;
    } else if (args[i] == "--help" || args[i] == "-h") {
      out << kUsage;
      return 0;
    } else if (args[i] == "--version") {
      out << "orvenda-chart 1.2\n";
      return 0;
    } else {
      err << "orvenda-chart: unknown option " << args[i] << "\n" << kUsage;
      return 2;
    }
  }
  if (i >= args.size()) {
    err << kUsage;
    return 2;
  }
  const std::string command = args[i];
  if (command == "help") {
    const auto h = i + 1 < args.size() ? kCommandHelp.find(args[i + 1]) : kCommandHelp.end();
    out << (h == kCommandHelp.end() ? kUsage : h->second);
    return 0;
  }
  const auto help = kCommandHelp.find(command);
  if (help == kCommandHelp.end()) {
    err << "orvenda-chart: '" << command << "' is not a command\n" << kUsage;
    return 2;
  }
  for (std::size_t k = i + 1; k < args.size() && args[k] != "--"; ++k)
    if (args[k] == "--help" || args[k] == "-h") {
      out << help->second;
      return 0;
    }
  std::error_code ec;
  if (!fs::is_directory(t.dir, ec)) {
    err << "orvenda-chart: no folder " << t.dir << "\n";
    return 1;
  }
  t.files = std::make_unique<PosixFileSystem>(t.dir);
  const std::map<std::string, std::pair<std::vector<std::string>, std::vector<std::string>>>
      kOptions = {
          {"list", {{}, {"--csv"}}},
          {"show", {{}, {}}},
          {"new",
           {{"--date", "--time", "--place", "--lon", "--lat", "--zone", "--offset"}, {"--force"}}},
          {"place", {{}, {}}},
          {"offset", {{"--lon"}, {}}},
          {"export", {{"--format"}, {}}},
          {"import", {{"--format"}, {"--force"}}},
          {"chart", {{"--houses"}, {"--json", "--time-unknown"}}},
          {"directions",
           {{"--houses", "--from", "--to", "--zone", "--key", "--method", "--sex", "-o", "--html",
             "--pdf"},
            {"--solar-arc", "--naibod", "--primary", "--json", "--ics", "--reading", "--latitude",
             "--zodiacal", "--mundane"}}},
          {"sky",
           {{"--houses", "--from", "--to", "--zone", "--place", "--lon", "--lat", "--hours",
             "--sex", "-o", "--html", "--pdf"},
            {"--lunations", "--eclipses", "--void", "--modern", "--json", "--ics", "--reading"}}},
          {"prenatal", {{"--houses", "--zone", "-o"}, {"--json"}}},
          {"timelords",
           {{"--houses", "--date", "--from", "--to", "--zone", "--lot", "--levels", "--year",
             "--sex", "-o", "--html", "--pdf"},
            {"--json", "--reading", "--ics"}}},
          {"traditional",
           {{"--houses", "--bounds", "--sex", "--html", "--pdf"},
            {"--json", "--time-unknown", "--reading"}}},
          {"sheet", {{"--houses", "-o", "--sex", "--pdf"}, {"--time-unknown"}}},
          {"reading", {{"--houses", "--sex"}, {"--json", "--time-unknown"}}},
          {"texts", {{}, {}}},
          {"transits",
           {{"--from", "--to", "--orb", "--zone", "--houses", "--sex", "--html", "--pdf", "-o",
             "--bodies", "--aspects", "--natal"},
            {"--moon", "--json", "--ics", "--ics-spans", "--by-transit", "--time-unknown",
             "--with-sky"}}},
          {"progressions",
           {{"--date", "--from", "--to", "--orb", "--zone", "--houses", "--sex", "-o", "--bodies",
             "--aspects", "--natal"},
            {"--naibod", "--json", "--time-unknown"}}},
          {"return",
           {{"--year", "--lunar", "--planet", "--from", "--to", "--zone", "--place", "--lon",
             "--lat", "--houses", "--sex", "--html", "--pdf"},
            {"--json", "--time-unknown"}}},
          {"now",
           {{"--at", "--with", "--orb", "--zone", "--houses", "--html", "--pdf"},
            {"--json", "--time-unknown"}}},
          {"synastry", {{"--houses", "--html", "--pdf", "--sex"}, {"--json", "--time-unknown"}}},
          {"composite", {{"--houses"}, {"--json", "--time-unknown"}}},
          {"davison", {{"--houses"}, {"--json", "--time-unknown"}}},
      };
  const auto& allowed = kOptions.at(command);
  const bool twoCharts = command == "synastry" || command == "composite" || command == "davison";
  const auto o = twoCharts ? twoChartOptions(t, command, args, i + 1, allowed.first, allowed.second)
                           : parseOptions(t, command, args, i + 1, allowed.first, allowed.second);
  if (!o) return 2;
  // A file to write is named: an empty name is none, and would be taken for the folder.
  for (const char* f : {"-o", "--html", "--pdf"})
    if (const std::string* v = o->value(f); v && v->empty())
      return t.usage(command,
                     std::string(f) + " needs the name of a file (or - for standard output)");
  if (command == "list") return cmdList(t, *o);
  if (command == "show") return cmdShow(t, *o);
  if (command == "new") return cmdNew(t, *o);
  if (command == "place") return cmdPlace(t, *o);
  if (command == "offset") return cmdOffset(t, *o);
  if (command == "export") return cmdExport(t, *o);
  if (command == "chart") return cmdChart(t, *o);
  if (command == "traditional") return cmdTraditional(t, *o);
  if (command == "timelords") return cmdTimelords(t, *o);
  if (command == "directions") return cmdDirections(t, *o);
  if (command == "sky") return cmdSky(t, *o);
  if (command == "prenatal") return cmdPrenatal(t, *o);
  if (command == "sheet") return cmdSheet(t, *o);
  if (command == "reading") return cmdReading(t, *o);
  if (command == "texts") return cmdTexts(t, *o);
  if (command == "transits") return cmdTransits(t, *o);
  if (command == "progressions") return cmdProgressions(t, *o);
  if (command == "return") return cmdReturn(t, *o);
  if (command == "now") return cmdNow(t, *o);
  if (command == "synastry") return cmdSynastry(t, *o);
  if (command == "composite") return cmdRelationshipChart(t, *o, false);
  if (command == "davison") return cmdRelationshipChart(t, *o, true);
  return cmdImport(t, *o);
}

}  // namespace orvenda::tool
