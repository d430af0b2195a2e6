// The Swiss Ephemeris behind the Ephemeris interface. The library keeps its own state
// (open files, the path), so there is one instance for the process.
#include <swephexp.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "natal/ephemeris.h"

#ifndef _WIN32
#include <unistd.h>
#endif

#ifndef ORVENDA_EPHE_DIR
#define ORVENDA_EPHE_DIR "/usr/share/libswe/ephe"
#endif

namespace orvenda::natal {
namespace {

#ifdef _WIN32
constexpr char kPathSeparator = ';';
#else
constexpr char kPathSeparator = ':';
#endif

// The folder of the star file trimmed to the stars the traditional chart names, beside
// the program (its build tree) or in its package's share/orvenda; empty when there is none,
// and the library then reads the full file of the ephemeris folder. The library reads and
// sorts a star file whole before it answers for one star: 20 million instructions for the
// full file's 1,500 stars, 0.4 million for the 48.
std::string starFolder() {
#ifdef _WIN32
  return "";
#else
  char exe[4096];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return "";
  std::string folder(exe, static_cast<std::size_t>(n));
  folder.erase(folder.rfind('/'));
  for (const std::string& candidate : {folder + "/stars", folder + "/../share/orvenda/stars"}) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(candidate + "/sefstars.txt", ec)) return candidate;
  }
  return "";
#endif
}

// The library's numbers for the bodies of the planet table, in its order.
constexpr int kBodies[17] = {SE_SUN,       SE_MOON,     SE_MERCURY, SE_VENUS,   SE_MARS,
                             SE_JUPITER,   SE_SATURN,   SE_URANUS,  SE_NEPTUNE, SE_PLUTO,
                             SE_CHIRON,    SE_CERES,    SE_PALLAS,  SE_JUNO,    SE_VESTA,
                             SE_MEAN_NODE, SE_MEAN_APOG};

class SwissEphemeris final : public Ephemeris {
 public:
  SwissEphemeris() {
    path_ = ephemerisPath();
    // The trimmed star file first: the library takes the first sefstars.txt on its path.
    const std::string stars = starFolder();
    const std::string path = stars.empty() ? path_ : stars + kPathSeparator + path_;
    swe_set_ephe_path(path.size() < AS_MAXCH ? path.c_str() : path_.c_str());
  }
  ~SwissEphemeris() override { swe_close(); }

  std::optional<BodyPosition> body(double jd, int point) override { return position(jd, point, 0); }

  // Half of what a position costs the library is the nutation, worked out afresh each call.
  std::optional<BodyPosition> bodyWithoutNutation(double jd, int point) override {
    return position(jd, point, SEFLG_NONUT);
  }

  double nutationInLongitude(double jd) override {
    double x[6] = {};
    char serr[AS_MAXCH] = "";
    return swe_calc_ut(jd, SE_ECL_NUT, 0, x, serr) < 0 ? 0 : x[2];
  }

  HouseFrame houses(double jd, double lat, double lon, char system) override {
    HouseFrame f;
    double cusps[13] = {}, ascmc[10] = {}, cuspSpeed[13] = {}, ascmcSpeed[10] = {};
    char serr[AS_MAXCH] = "";
    int rc = swe_houses_ex2(jd, 0, lat, lon, system, cusps, ascmc, cuspSpeed, ascmcSpeed, serr);
    f.system = system;
    if (rc < 0) {
      f.fellBack = true;
      f.system = 'O';
      swe_houses_ex2(jd, 0, lat, lon, 'O', cusps, ascmc, cuspSpeed, ascmcSpeed, serr);
    }
    for (int i = 0; i < 12; ++i) {
      f.cusps[i] = cusps[i + 1];
      f.cuspSpeeds[i] = cuspSpeed[i + 1];
    }
    f.ascendant = ascmc[SE_ASC];
    f.midheaven = ascmc[SE_MC];
    f.armc = ascmc[SE_ARMC];
    f.vertex = ascmc[SE_VERTEX];
    f.eastPoint = ascmc[SE_EQUASC];
    f.ascendantSpeed = ascmcSpeed[SE_ASC];
    f.midheavenSpeed = ascmcSpeed[SE_MC];
    f.vertexSpeed = ascmcSpeed[SE_VERTEX];
    f.eastPointSpeed = ascmcSpeed[SE_EQUASC];
    return f;
  }

  double obliquity(double jd) override {
    double x[6] = {};
    char serr[AS_MAXCH] = "";
    if (swe_calc_ut(jd, SE_ECL_NUT, 0, x, serr) < 0) return Ephemeris::obliquity(jd);
    return x[0];
  }

  std::optional<StarPosition> star(double jd, const std::string& name) override {
    // The library writes the star's full name back into the buffer it is given.
    char buffer[2 * SE_MAX_STNAME + 2] = "";
    if (name.empty() || name.size() >= sizeof buffer) return std::nullopt;
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    double x[6] = {};
    char serr[AS_MAXCH] = "";
    if (swe_fixstar2_ut(buffer, jd, SEFLG_SWIEPH, x, serr) < 0) return std::nullopt;
    StarPosition p{x[0], x[1], 0};
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    double magnitude = 0;
    if (swe_fixstar2_mag(buffer, &magnitude, serr) < 0) return std::nullopt;
    p.magnitude = magnitude;
    return p;
  }

  HouseFrame housesFromArmc(double armc, double lat, double eps, char system) override {
    HouseFrame f;
    double cusps[13] = {}, ascmc[10] = {};
    f.system = system;
    if (swe_houses_armc(armc, lat, eps, system, cusps, ascmc) < 0) {
      f.fellBack = true;
      f.system = 'O';
      swe_houses_armc(armc, lat, eps, 'O', cusps, ascmc);
    }
    for (int i = 0; i < 12; ++i) f.cusps[i] = cusps[i + 1];
    f.ascendant = ascmc[SE_ASC];
    f.midheaven = ascmc[SE_MC];
    f.armc = ascmc[SE_ARMC];
    f.vertex = ascmc[SE_VERTEX];
    f.eastPoint = ascmc[SE_EQUASC];
    return f;
  }

  double deltaTSeconds(double jd) override {
    char serr[AS_MAXCH] = "";
    return swe_deltat_ex(jd, SEFLG_SWIEPH, serr) * 86400.0;
  }

  double analyticDeltaTSeconds(double jd) override {
    char serr[AS_MAXCH] = "";
    return swe_deltat_ex(jd, SEFLG_MOSEPH, serr) * 86400.0;
  }

  double altitude(double jd, double lat, double lon, double eclLon, double eclLat) override {
    double geopos[3] = {lon, lat, 0}, xin[3] = {eclLon, eclLat, 1}, xaz[3] = {};
    swe_azalt(jd, SE_ECL2HOR, geopos, 0, 10, xin, xaz);
    return xaz[1];  // true altitude: refraction plays no part in day and night here
  }

  // Each file covers 600 years: sepl_18.se1 the planets of 1800 to 2399, semo_ the Moon,
  // seas_ the asteroids. Years before 1 are left to the library's own wording.
  std::vector<std::string> missingFiles(double jd) override {
    int year = 0, month = 0, day = 0;
    double hour = 0;
    swe_revjul(jd, SE_GREG_CAL, &year, &month, &day, &hour);
    std::vector<std::string> missing;
    if (year < 0) return missing;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "_%02d.se1", year / 600 * 6);
    for (const char* kind : {"sepl", "semo", "seas"}) {
      const std::string name = kind + std::string(suffix);
      if (!foundOnPath(name)) missing.push_back(name);
    }
    return missing;
  }

  std::optional<EclipseAt> solarEclipse(double jd, bool backward) override {
    double tret[10] = {};
    char serr[AS_MAXCH] = "";
    const std::int32_t type =
        swe_sol_eclipse_when_glob(jd, SEFLG_SWIEPH, 0, tret, backward ? 1 : 0, serr);
    if (type <= 0) return std::nullopt;
    EclipseAt e;
    e.maximum = tret[0];
    e.kind = (type & SE_ECL_HYBRID)    ? EclipseKind::Hybrid
             : (type & SE_ECL_TOTAL)   ? EclipseKind::Total
             : (type & SE_ECL_ANNULAR) ? EclipseKind::Annular
                                       : EclipseKind::Partial;
    // The magnitude and the Saros series where the eclipse is greatest.
    double geopos[10] = {}, attr[20] = {};
    if (swe_sol_eclipse_where(tret[0], SEFLG_SWIEPH, geopos, attr, serr) < 0) return std::nullopt;
    // The eclipse's magnitude as NASA's canon gives it (the fraction of the diameter covered
    // of a partial eclipse; of a central one, taken along the line of the centres).
    e.magnitude = attr[8];
    e.saros = static_cast<int>(attr[9]);
    e.sarosMember = static_cast<int>(attr[10]);
    return e;
  }

  std::optional<EclipseAt> lunarEclipse(double jd, bool backward) override {
    double tret[10] = {};
    char serr[AS_MAXCH] = "";
    const std::int32_t type =
        swe_lun_eclipse_when(jd, SEFLG_SWIEPH, 0, tret, backward ? 1 : 0, serr);
    if (type <= 0) return std::nullopt;
    EclipseAt e;
    e.maximum = tret[0];
    e.kind = (type & SE_ECL_TOTAL)     ? EclipseKind::Total
             : (type & SE_ECL_PARTIAL) ? EclipseKind::Partial
                                       : EclipseKind::Penumbral;
    double geopos[3] = {}, attr[20] = {};
    if (swe_lun_eclipse_how(tret[0], SEFLG_SWIEPH, geopos, attr, serr) < 0) return std::nullopt;
    // The umbral magnitude, as the canons give it: a penumbral eclipse's is below zero.
    e.magnitude = attr[0];
    e.saros = static_cast<int>(attr[9]);
    e.sarosMember = static_cast<int>(attr[10]);
    return e;
  }

  std::optional<LocalEclipse> localSolarEclipse(double jd, double lat, double lon) override {
    double geopos[3] = {lon, lat, 0}, tret[10] = {}, attr[20] = {};
    char serr[AS_MAXCH] = "";
    const std::int32_t type =
        swe_sol_eclipse_when_loc(jd, SEFLG_SWIEPH, geopos, tret, attr, 0, serr);
    if (type <= 0) return std::nullopt;
    LocalEclipse e;
    e.maximum = tret[0];
    e.begins = tret[1];
    e.ends = tret[4];
    e.magnitude = attr[0];
    e.obscuration = attr[2];
    e.sunAltitude = attr[6];
    e.kind = (type & SE_ECL_TOTAL)     ? EclipseKind::Total
             : (type & SE_ECL_ANNULAR) ? EclipseKind::Annular
                                       : EclipseKind::Partial;
    e.visible = (type & SE_ECL_VISIBLE) != 0;
    e.maximumVisible = (type & SE_ECL_MAX_VISIBLE) != 0;
    return e;
  }

  std::optional<LocalEclipse> localLunarEclipse(double jd, double lat, double lon) override {
    double geopos[3] = {lon, lat, 0}, tret[10] = {}, attr[20] = {};
    char serr[AS_MAXCH] = "";
    const std::int32_t type =
        swe_lun_eclipse_when_loc(jd, SEFLG_SWIEPH, geopos, tret, attr, 0, serr);
    if (type <= 0) return std::nullopt;
    LocalEclipse e;
    e.maximum = tret[0];
    const bool umbral = (type & (SE_ECL_TOTAL | SE_ECL_PARTIAL)) != 0;
    e.begins = umbral ? tret[2] : tret[6];
    e.ends = umbral ? tret[3] : tret[7];
    e.magnitude = attr[0];
    e.sunAltitude = attr[5];
    e.kind = (type & SE_ECL_TOTAL)     ? EclipseKind::Total
             : (type & SE_ECL_PARTIAL) ? EclipseKind::Partial
                                       : EclipseKind::Penumbral;
    e.visible = (type & SE_ECL_VISIBLE) != 0;
    e.maximumVisible = (type & SE_ECL_MAX_VISIBLE) != 0;
    return e;
  }

  std::optional<double> sunRiseOrSet(double jd, double lat, double lon, bool rising) override {
    double geopos[3] = {lon, lat, 0}, when = 0;
    char serr[AS_MAXCH] = "";
    // The upper limb, with the refraction of the standard atmosphere (1013.25 hPa, 15 °C)
    // that swetest's -rise also takes.
    const std::int32_t rc =
        swe_rise_trans(jd, SE_SUN, nullptr, SEFLG_SWIEPH, rising ? SE_CALC_RISE : SE_CALC_SET,
                       geopos, 1013.25, 15, &when, serr);
    if (rc != 0 || !(when > jd)) return std::nullopt;
    return when;
  }

 private:
  std::optional<BodyPosition> position(double jd, int point, std::int32_t extra) {
    if (point < 0 || point >= 17) return std::nullopt;
    double xx[6] = {};
    char serr[AS_MAXCH] = "";
    std::int32_t flags =
        swe_calc_ut(jd, kBodies[point], SEFLG_SWIEPH | SEFLG_SPEED | extra, xx, serr);
    // Outside the data files' years the library answers for the planets from its analytic
    // ephemeris by itself; ask for it outright where it gave up (a missing file).
    if (flags < 0)
      flags = swe_calc_ut(jd, kBodies[point], SEFLG_MOSEPH | SEFLG_SPEED | extra, xx, serr);
    if (flags < 0) return std::nullopt;
    // Without the Moon's file alone the library takes the Moon from the analytic
    // ephemeris and keeps the flag of the files, saying so only in its message ("using
    // Moshier eph. for moon"), which it gives for every body then: the others come from the
    // files, but for the Earth's small swing about its barycentre with the Moon.
    const bool analytic = (flags & SEFLG_MOSEPH) != 0 ||
                          (kBodies[point] == SE_MOON && std::strstr(serr, "Moshier") != nullptr);
    return BodyPosition{xx[0], xx[1], xx[3], analytic};
  }

  bool foundOnPath(const std::string& name) const {
    std::size_t from = 0;
    for (;;) {
      const std::size_t to = path_.find(kPathSeparator, from);
      const std::string folder = path_.substr(from, to - from);
      std::error_code ec;
      if (!folder.empty() &&
          std::filesystem::is_regular_file(std::filesystem::path(folder) / name, ec))
        return true;
      if (to == std::string::npos) return false;
      from = to + 1;
    }
  }

  std::string path_;
};

}  // namespace

HouseFrame Ephemeris::housesFromArmc(double armc, double, double, char system) {
  // Equal houses from an Ascendant 90° before the Midheaven: what a test ephemeris gives.
  HouseFrame f;
  f.system = system;
  f.armc = f.midheaven = armc;
  f.ascendant = std::fmod(armc + 90.0, 360.0);
  for (int i = 0; i < 12; ++i) f.cusps[i] = std::fmod(f.ascendant + 30.0 * i, 360.0);
  return f;
}

std::string ephemerisPath() {
  const char* env = std::getenv("SE_EPHE_PATH");
  return env && *env ? env : ORVENDA_EPHE_DIR;
}

Ephemeris& swissEphemeris() {
  static SwissEphemeris instance;
  return instance;
}

}  // namespace orvenda::natal
