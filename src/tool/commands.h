// orvenda-chart: birth records from a place and a local clock time, listed, shown,
// imported and exported, in a working directory of the program.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace orvenda::tool {

// Runs one command line (without the program's name); results go to out, messages to
// err. The exit status: 0 on success, 1 when something was refused or failed, 2 for a
// command line that is not understood.
int runTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace orvenda::tool
