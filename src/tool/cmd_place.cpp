// orvenda-chart place: places of the offline atlas in the program's fields.
#include "tool/tool.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "birth/chart_store.h"
#include "console/cp737.h"
#include "exchange/exchange.h"

namespace orvenda::tool {

using namespace exchange;

int cmdPlace(Tool& t, const Options& o) {
  if (o.operands.empty())
    return t.usage("place", "place needs a query, such as \"Athens\" or \"London, GB\"");
  std::string query;
  for (const auto& w : o.operands) query += (query.empty() ? "" : " ") + w;
  const Atlas* atlas = t.loadAtlas();
  if (!atlas) return 1;
  const auto found = atlas->search(query);
  if (found.empty())
    return t.fail("no place in the atlas is called \"" + query + "\" or starts so");
  std::string text = std::string(kPlaceHeader) + "\n";
  const std::size_t shown = std::min<std::size_t>(found.size(), 40);
  for (std::size_t i = 0; i < shown; ++i) text += placeLine(*atlas, *found[i]) + "\n";
  t.out << text;
  if (found.size() > shown)
    t.err << "... and " << found.size() - shown
          << " more; narrow the query with \", country\" or \", region\"\n";
  return 0;
}

}  // namespace orvenda::tool
