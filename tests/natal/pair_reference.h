// Reads pair_reference.txt, the figures make_pair_reference.py worked out for pairs of births
// from swetest's positions and cusps: the tests of two charts compare the code against it.
#pragma once

#include <array>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "birth/birth_record.h"
#include "natal/natal_chart.h"

namespace orvenda::testing {

struct ExpectedAspect {
  int a = 0, b = 0, aspect = 0;
  double deviation = 0;
};

struct ExpectedChart {
  std::array<double, natal::kPoints> points{};  // every point of the planet table, in its order
  std::array<double, 12> cusps{};
};

struct PairReference {
  std::string title;
  BirthRecord a{}, b{};
  std::map<std::string, std::vector<ExpectedAspect>> aspects;  // by configuration
  std::map<char, std::vector<std::pair<int, int>>> overlays;   // 'A': A's points in B's houses
  ExpectedChart composite, davison;
};

struct PairReferences {
  std::map<std::string, natal::ChartConfig> configs;
  std::vector<PairReference> pairs;
};

inline PairReferences readPairReferences() {
  PairReferences refs;
  std::ifstream in(ORVENDA_PAIR_REFERENCE);
  std::string line, config;
  while (std::getline(in, line)) {
    std::istringstream s(line);
    std::string key;
    s >> key;
    if (key == "config") {
      s >> config;
      refs.configs[config] = {};
    } else if (key == "point-switches") {
      for (auto& v : refs.configs[config].planets.enabled) s >> v;
    } else if (key == "point-values") {
      for (int i = 0; i < natal::kPoints; ++i) s >> refs.configs[config].planets.values[i];
    } else if (key == "aspect-switches") {
      for (auto& v : refs.configs[config].aspects.enabled) s >> v;
    } else if (key == "aspect-orbs") {
      for (auto& v : refs.configs[config].aspects.orbs) s >> v;
    } else if (key == "pair") {
      refs.pairs.emplace_back();
      refs.pairs.back().title = line.substr(line.find('#') + 2);
    } else if (key == "chart") {
      std::string which;
      s >> which;
      BirthRecord& r = which == "A" ? refs.pairs.back().a : refs.pairs.back().b;
      for (int i = 0; i < BirthRecord::kFieldCount; ++i) s >> r.field(i);
    } else if (key == "aspect") {
      ExpectedAspect x;
      s >> config >> x.a >> x.b >> x.aspect >> x.deviation;
      refs.pairs.back().aspects[config].push_back(x);
    } else if (key == "overlay") {
      char guest;
      int point, house;
      s >> guest >> point >> house;
      refs.pairs.back().overlays[guest].emplace_back(point, house);
    } else if (key == "composite" || key == "davison") {
      ExpectedChart& c =
          key == "composite" ? refs.pairs.back().composite : refs.pairs.back().davison;
      std::string what;
      int i;
      s >> what >> i;
      if (what == "point") s >> c.points[i];
      if (what == "cusp") s >> c.cusps[i - 1];
    }
  }
  return refs;
}

}  // namespace orvenda::testing
