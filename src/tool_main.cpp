// orvenda-chart's entry point: the command line to the tool, nothing else.
#include <iostream>

#include "tool/commands.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int status = orvenda::tool::runTool(args, std::cout, std::cerr);
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "orvenda-chart: could not write the results\n";
    return 1;
  }
  return status;
}
