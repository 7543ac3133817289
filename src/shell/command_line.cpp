#include "shell/command_line.h"

#include <charconv>
#include <limits>
#include <set>

#include "platform/folders.h"
#include "platform/ipc_datagram.h"
#include "shell/registered_messages.h"

namespace calvorn::shell {

namespace {

// An unsigned number in decimal or, with a "0x" prefix, hexadecimal, at most `max`.
std::optional<std::uint64_t> ParseUnsigned(std::string_view text, std::uint64_t max) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > max) {
        return std::nullopt;
    }
    return value;
}

// A signed number: an optional '-' and then an unsigned number as above.
std::optional<std::int64_t> ParseSigned(std::string_view text) {
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) {
        text.remove_prefix(1);
    }
    const std::uint64_t limit =
        static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    const std::optional<std::uint64_t> magnitude =
        ParseUnsigned(text, negative ? limit + 1 : limit);
    if (!magnitude) {
        return std::nullopt;
    }
    // Negate in unsigned arithmetic so that the most negative value does not overflow.
    return static_cast<std::int64_t>(negative ? 0 - *magnitude : *magnitude);
}

using Values = std::span<const std::string_view>;
// Stores an option's values; returns an error text (without the "calvorn: " prefix) or empty.
using Apply = std::string (*)(CommandLineOptions&, Values);

enum class Takes {
    kNothing,
    kValues,         // `count` separate values, or one value after '=' when count is 1
    kOptionalValue,  // no value, or one after '='
};

struct OptionSpec {
    std::string_view name;
    Takes takes;
    int count;
    std::string_view value_names;
    std::string_view help;
    Apply apply;
};

// The symbolic names of the messages whose registered strings are hard to type.
struct MessageAlias {
    std::string_view alias;
    std::string_view name;
};
constexpr MessageAlias kMessageAliases[] = {
    {"UWM_INSTANCE_ACTIVATE", kProductName},
    {"UWM_UPDATE_PROGRESS", kUpdateProgressName},
    {"UWM_LIGHT_CONTROL_STATE", kLightControlStateName},
    {"UWM_LIGHT_CONTROL_REQUEST", kLightControlRequestName},
    {"UWM_DEVICE_TABLE_QUERY", kDeviceTableQueryName},
};

std::string_view ResolveMessageAlias(std::string_view name) {
    for (const MessageAlias& alias : kMessageAliases) {
        if (alias.alias == name) {
            return alias.name;
        }
    }
    return name;
}

std::string ApplySend(CommandLineOptions& options, Values values) {
    SendRequest request;
    request.message = std::string(ResolveMessageAlias(values[0]));
    if (!platform::IsValidIpcMessageName(request.message)) {
        return "--send: the message NAME must be 1 to 255 printable ASCII characters";
    }
    const std::optional<std::uint64_t> wparam =
        ParseUnsigned(values[1], std::numeric_limits<platform::WParam>::max());
    if (!wparam) {
        return "--send: WPARAM '" + std::string(values[1]) + "' is not an unsigned number";
    }
    const std::optional<std::int64_t> lparam = ParseSigned(values[2]);
    if (!lparam) {
        return "--send: LPARAM '" + std::string(values[2]) + "' is not a number";
    }
    request.wparam = static_cast<platform::WParam>(*wparam);
    request.lparam = static_cast<platform::LParam>(*lparam);
    if (options.send) {
        request.endpoint = options.send->endpoint;  // --to came first
    }
    options.send = request;
    return {};
}

std::string ApplyTo(CommandLineOptions& options, Values values) {
    if (!platform::IsValidLocalName(values[0])) {
        return "--to: ENDPOINT '" + std::string(values[0]) +
               "' must be 1 to 64 printable ASCII characters without '/' or a leading '.'";
    }
    if (!options.send) {
        options.send.emplace();  // checked after parsing: --to needs --send
    }
    options.send->endpoint = std::string(values[0]);
    return {};
}

// The list's syntax and the supported products belong to the simulator.
std::string ApplySimulate(CommandLineOptions& options, Values values) {
    sim::SimulateRequest request = sim::ParseSimulateOption(values.empty() ? "" : values[0]);
    if (!request.ok()) {
        return request.error;
    }
    options.simulate = true;
    options.simulated = std::move(request.devices);
    return {};
}

std::string ApplyExitAfter(CommandLineOptions& options, Values values) {
    const std::optional<std::uint64_t> ms =
        ParseUnsigned(values[0], std::numeric_limits<std::int32_t>::max());
    if (!ms) {
        return "--exit-after: '" + std::string(values[0]) + "' is not a number of milliseconds";
    }
    options.exit_after = std::chrono::milliseconds(*ms);
    return {};
}

std::string StoreFile(std::optional<std::string>& field, std::string_view option, Values values) {
    if (values[0].empty()) {
        return std::string(option) + ": the FILE name is empty";
    }
    field = std::string(values[0]);
    return {};
}

constexpr OptionSpec kOptions[] = {
    {"--help", Takes::kNothing, 0, "", "print this help and exit",
     [](CommandLineOptions& o, Values) {
         o.help = true;
         return std::string();
     }},
    {"--version", Takes::kNothing, 0, "", "print the version and exit",
     [](CommandLineOptions& o, Values) {
         o.version = true;
         return std::string();
     }},
    {"--send", Takes::kValues, 3, "NAME WPARAM LPARAM",
     "post message NAME (a registered name, UWM_INSTANCE_ACTIVATE, UWM_UPDATE_PROGRESS, "
     "UWM_LIGHT_CONTROL_STATE, UWM_LIGHT_CONTROL_REQUEST, UWM_DEVICE_TABLE_QUERY or a decimal "
     "message number) to the running program and exit; WPARAM and LPARAM are decimal or "
     "0x-hexadecimal",
     ApplySend},
    {"--to", Takes::kValues, 1, "ENDPOINT", "with --send: the receiving endpoint (default Calvorn)",
     ApplyTo},
    {"--simulate", Takes::kOptionalValue, 1, "[=PID[:VERSION],...]",
     "use simulated keyboards instead of real devices; PID is a hexadecimal product ID (4E93), "
     "VERSION a decimal firmware version; without a list one 4E93 keyboard",
     ApplySimulate},
    {"--sim-dump", Takes::kValues, 1, "FILE",
     "write the simulated keyboards' state to FILE on exit",
     [](CommandLineOptions& o, Values v) { return StoreFile(o.sim_dump, "--sim-dump", v); }},
    {"--screenshot", Takes::kValues, 1, "FILE",
     "save a picture of the main window to FILE and quit (when --exit-after is up, if given)",
     [](CommandLineOptions& o, Values v) { return StoreFile(o.screenshot, "--screenshot", v); }},
    {"--exit-after", Takes::kValues, 1, "MS", "quit MS milliseconds after start-up",
     ApplyExitAfter},
    {"--hidden", Takes::kNothing, 0, "",
     "start in the tray (the default): the window shows when a keyboard arrives or the tray "
     "icon is clicked",
     [](CommandLineOptions& o, Values) {
         o.hidden = true;
         return std::string();
     }},
    {"--show", Takes::kNothing, 0, "", "start with the main window shown",
     [](CommandLineOptions& o, Values) {
         o.show = true;
         return std::string();
     }},
    {"--updater", Takes::kValues, 1, "FILE",
     "the external firmware updater to start when a keyboard needs new firmware (default "
     "Update/Pellmor in the program folder)",
     [](CommandLineOptions& o, Values v) { return StoreFile(o.updater, "--updater", v); }},
};

const OptionSpec* FindOption(std::string_view name) {
    for (const OptionSpec& request : kOptions) {
        if (request.name == name) {
            return &request;
        }
    }
    return nullptr;
}

// `text` broken into lines of at most `width` characters at spaces, each line indented.
std::string Wrapped(std::string_view text, std::string_view indent, size_t width) {
    std::string out;
    std::string line(indent);
    while (!text.empty()) {
        const size_t space = text.find(' ');
        const std::string_view word = text.substr(0, space);
        if (line.size() > indent.size() && line.size() + 1 + word.size() > width) {
            out += line + "\n";
            line = indent;
        }
        if (line.size() > indent.size()) {
            line += ' ';
        }
        line += word;
        text.remove_prefix(space == std::string_view::npos ? text.size() : space + 1);
    }
    return out + line + "\n";
}

CommandLineError Error(std::string_view text) {
    return CommandLineError{"calvorn: " + std::string(text)};
}

}  // namespace

std::variant<CommandLineOptions, CommandLineError> ParseCommandLine(
    std::span<const std::string_view> args) {
    CommandLineOptions options;
    std::set<std::string_view> seen;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const size_t equals = arg.find('=');
        const std::string_view name = arg.substr(0, equals);
        const OptionSpec* request = arg.starts_with("--") ? FindOption(name) : nullptr;
        if (request == nullptr) {
            return Error(arg.starts_with("-") ? "unknown option '" + std::string(arg) + "'"
                                              : "unexpected argument '" + std::string(arg) + "'");
        }
        if (!seen.insert(request->name).second) {
            return Error(std::string(request->name) + " is given more than once");
        }
        std::vector<std::string_view> values;
        if (equals != std::string_view::npos) {
            if (request->takes == Takes::kNothing || request->count != 1) {
                return Error(std::string(request->name) + " does not take '=VALUE'");
            }
            values.push_back(arg.substr(equals + 1));
        } else if (request->takes == Takes::kValues) {
            for (int n = 0; n < request->count; ++n) {
                // A following option is a missing value, not a value.
                if (i + 1 >= args.size() || args[i + 1].starts_with("--")) {
                    return Error(std::string(request->name) + " needs " +
                                 std::string(request->value_names));
                }
                values.push_back(args[++i]);
            }
        }
        if (std::string error = request->apply(options, values); !error.empty()) {
            return Error(error);
        }
    }
    if (options.send && options.send->message.empty()) {
        return Error("--to needs --send");
    }
    if (options.hidden && options.show) {
        return Error("--hidden and --show exclude each other");
    }
    return options;
}

std::string UsageText() {
    std::string text =
        "Usage: calvorn [OPTION]...\n"
        "Configuration suite for USB gaming keyboards.\n\n";
    for (const OptionSpec& request : kOptions) {
        std::string left = "  " + std::string(request.name);
        if (!request.value_names.empty()) {
            left += request.takes == Takes::kOptionalValue ? "" : " ";
            left += request.value_names;
        }
        text += left + "\n" + Wrapped(request.help, "      ", 78);
    }
    text +=
        "\nExit status: 0 on success, 1 when --send finds nobody listening, 2 for a bad command "
        "line.\n";
    return text;
}

}  // namespace calvorn::shell
