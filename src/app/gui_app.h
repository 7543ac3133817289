#pragma once

#include "shell/command_line.h"

namespace calvorn::app {

// Starts the windowed program: fonts, single instance, UI resources, the main window, the
// tray icon and the event loop. Returns the process exit code.
int RunGui(const shell::CommandLineOptions& options, int argc, char** argv);

}  // namespace calvorn::app
