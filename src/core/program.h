// The program's start-up sequence and its run from the first screen to the end.
#pragma once

#include "core/app.h"

namespace orvenda {

// Start-up, then the screens, until the program ends. Returns the exit status when the
// start-up sequence runs out (the first screens could not be shown); Escape and the
// failures that end the program go through services.endProcess.
int runProgram(App& app);

// Wires the screens the main screen hands over to (About, aspects, planets).
void connectScreens(App& app);

}  // namespace orvenda
