#pragma once

// The command line of the calvorn executable: a table of options, each with its values, help
// text and the function that stores it, parsed into CommandLineOptions or an error text.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/ui_loop.h"
#include "sim/simulate_option.h"

namespace calvorn::shell {

// Exit code for a command line that cannot be parsed.
inline constexpr int kExitUsage = 2;
// The endpoint of the running program, named after the product.
inline constexpr std::string_view kDefaultEndpoint = "Calvorn";

// --send NAME WPARAM LPARAM [--to ENDPOINT]. A NAME of the form UWM_... is replaced by the
// registered string of that cooperation message.
struct SendRequest {
    std::string message;
    platform::WParam wparam = 0;
    platform::LParam lparam = 0;
    std::string endpoint{kDefaultEndpoint};

    bool operator==(const SendRequest&) const = default;
};

struct CommandLineOptions {
    bool version = false;                                 // --version
    bool help = false;                                    // --help
    std::optional<SendRequest> send;                      // --send, --to
    bool simulate = false;                                // --simulate
    std::vector<sim::SimDeviceRequest> simulated;         // the keyboards it plugs
    std::optional<std::string> sim_dump;                  // --sim-dump FILE
    std::optional<std::string> screenshot;                // --screenshot FILE
    std::optional<std::chrono::milliseconds> exit_after;  // --exit-after MS
    bool hidden = false;                                  // --hidden
    bool show = false;                                    // --show
    std::optional<std::string> updater;                   // --updater FILE

    bool operator==(const CommandLineOptions&) const = default;
};

struct CommandLineError {
    std::string message;  // one line, starting with "calvorn: "
};

// Parses the arguments after the program name. Each option may be given once; values follow
// as separate arguments or, for single-value options, after '='.
std::variant<CommandLineOptions, CommandLineError> ParseCommandLine(
    std::span<const std::string_view> args);

// The --help text, built from the option table.
std::string UsageText();

}  // namespace calvorn::shell
