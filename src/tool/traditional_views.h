// The traditional chart's views for the tool: text tables and one JSON object, the latter
// both as a tree of values and written as it goes (the bytes of the tree's dump(2)).
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "natal/natal_chart.h"
#include "traditional/traditional.h"

namespace orvenda::tool {

nlohmann::json traditionalJson(const std::string& name, const natal::NatalChart& chart,
                               const traditional::TraditionalChart& t);
std::string traditionalJsonText(const std::string& name, const natal::NatalChart& chart,
                                const traditional::TraditionalChart& t);
// In the horoscope language: Greek in the tradition's own words.
std::string traditionalText(const std::string& name, const natal::NatalChart& chart,
                            const traditional::TraditionalChart& t, bool greek = false);

}  // namespace orvenda::tool
