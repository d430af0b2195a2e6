// O on the main screen: asks for a chart name and shows that chart. If the main screen it
// entered gives control back (a settings file failed), it asks again; after an empty
// answer it ends.
#pragma once

#include "core/navigator.h"

namespace orvenda {

class App;

class OpenChart final : public Frame {
 public:
  explicit OpenChart(App& app) : app_(app) {}
  Step run() override;

 private:
  App& app_;
  bool endOnReturn_ = false;
};

}  // namespace orvenda
