#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <vector>

#include "sim/sim_keyboard.h"

namespace calvorn::shell {
namespace {

std::uint16_t DefaultVersion(std::uint16_t product) {
    return sim::DefaultSimKeyboardConfig(product).version;
}

std::variant<CommandLineOptions, CommandLineError> Parse(std::vector<std::string_view> args) {
    return ParseCommandLine(args);
}

TEST(CommandLineTest, ValidCommandLines) {
    using Args = std::vector<std::string_view>;
    auto with = [](auto change) {
        CommandLineOptions options;
        change(options);
        return options;
    };
    using ms = std::chrono::milliseconds;
    struct Case {
        Args args;
        CommandLineOptions expected;
    };
    const Case cases[] = {
        {{}, {}},
        {{"--version"}, with([](auto& o) { o.version = true; })},
        {{"--help", "--version"}, with([](auto& o) { o.help = o.version = true; })},
        {{"--send", "Calvorn", "0", "1"}, with([](auto& o) {
             o.send = SendRequest{"Calvorn", 0, 1, "Calvorn"};
         })},
        {{"--send", "3093", "0xFF", "-0x10", "--to", "ViraVide"}, with([](auto& o) {
             o.send = SendRequest{"3093", 255, -16, "ViraVide"};
         })},
        {{"--to=ViraVide", "--send", "Game_End", "18446744073709551615", "-9223372036854775808"},
         with([](auto& o) {
             o.send = SendRequest{"Game_End", UINT64_MAX, INT64_MIN, "ViraVide"};
         })},
        {{"--simulate"}, with([](auto& o) {
             o.simulate = true;
             o.simulated = {{0x4E93, DefaultVersion(0x4E93)}};
         })},
        {{"--simulate=4e96:260,0x4EAB"}, with([](auto& o) {
             o.simulate = true;
             o.simulated = {{0x4E96, 260}, {0x4EAB, DefaultVersion(0x4EAB)}};
         })},
        {{"--sim-dump", "/tmp/dump.json", "--screenshot=shot.png", "--exit-after", "1500",
          "--hidden"},
         with([](auto& o) {
             o.sim_dump = "/tmp/dump.json";
             o.screenshot = "shot.png";
             o.exit_after = ms(1500);
             o.hidden = true;
         })},
        {{"--exit-after=0", "--show"}, with([](auto& o) {
             o.exit_after = ms(0);
             o.show = true;
         })},
        {{"--send", "UWM_DEVICE_TABLE_QUERY", "0", "0"}, with([](auto& o) {
             o.send = SendRequest{"{4695579F-999A-41d4-9FAF-EFFCE93EBF18}", 0, 0, "Calvorn"};
         })},
        {{"--send", "UWM_LIGHT_CONTROL_REQUEST", "1", "0"}, with([](auto& o) {
             o.send = SendRequest{"{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", 1, 0, "Calvorn"};
         })},
        {{"--send", "UWM_INSTANCE_ACTIVATE", "0", "1"}, with([](auto& o) {
             o.send = SendRequest{"Calvorn", 0, 1, "Calvorn"};
         })},
        {{"--updater", "/opt/update/run"}, with([](auto& o) { o.updater = "/opt/update/run"; })},
    };
    for (const Case& c : cases) {
        const auto result = Parse(c.args);
        const auto* options = std::get_if<CommandLineOptions>(&result);
        ASSERT_NE(options, nullptr) << std::get<CommandLineError>(result).message;
        EXPECT_EQ(*options, c.expected) << (c.args.empty() ? "(none)" : c.args[0]);
    }
}

TEST(CommandLineTest, ErrorsNameTheProblem) {
    struct Case {
        std::vector<std::string_view> args;
        std::string_view message;
    };
    const Case cases[] = {
        {{"--frobnicate"}, "calvorn: unknown option '--frobnicate'"},
        {{"-v"}, "calvorn: unknown option '-v'"},
        {{"stray"}, "calvorn: unexpected argument 'stray'"},
        {{"--send", "Calvorn", "0"}, "calvorn: --send needs NAME WPARAM LPARAM"},
        {{"--send", "Calvorn", "0", "--hidden"}, "calvorn: --send needs NAME WPARAM LPARAM"},
        {{"--send", "Calvorn", "-1", "0"},
         "calvorn: --send: WPARAM '-1' is not an unsigned number"},
        {{"--send", "Calvorn", "0", "1x"}, "calvorn: --send: LPARAM '1x' is not a number"},
        {{"--send", "Calvorn", "0", "9223372036854775808"},
         "calvorn: --send: LPARAM '9223372036854775808' is not a number"},
        {{"--send", "Calvorn", "18446744073709551616", "0"},
         "calvorn: --send: WPARAM '18446744073709551616' is not an unsigned number"},
        {{"--send", "", "0", "0"},
         "calvorn: --send: the message NAME must be 1 to 255 printable ASCII characters"},
        {{"--send=Calvorn"}, "calvorn: --send does not take '=VALUE'"},
        {{"--to", "ViraVide"}, "calvorn: --to needs --send"},
        {{"--send", "Calvorn", "0", "1", "--to", "../x"},
         "calvorn: --to: ENDPOINT '../x' must be 1 to 64 printable ASCII characters without '/' "
         "or a leading '.'"},
        {{"--version=1"}, "calvorn: --version does not take '=VALUE'"},
        {{"--version", "--version"}, "calvorn: --version is given more than once"},
        {{"--simulate=4E93,"},
         "calvorn: --simulate: \"\" is not a product ID (hexadecimal, for example 4E93)"},
        {{"--simulate=4E93:0x10"},
         "calvorn: --simulate: \"4E93:0x10\" has no valid firmware version (decimal 0-65535 after "
         "the colon)"},
        {{"--simulate", "4E93"}, "calvorn: unexpected argument '4E93'"},
        {{"--exit-after"}, "calvorn: --exit-after needs MS"},
        {{"--exit-after", "-5"}, "calvorn: --exit-after: '-5' is not a number of milliseconds"},
        {{"--exit-after", "99999999999"},
         "calvorn: --exit-after: '99999999999' is not a number of milliseconds"},
        {{"--sim-dump="}, "calvorn: --sim-dump: the FILE name is empty"},
        {{"--screenshot"}, "calvorn: --screenshot needs FILE"},
        {{"--hidden", "--show"}, "calvorn: --hidden and --show exclude each other"},
        {{"--updater="}, "calvorn: --updater: the FILE name is empty"},
    };
    for (const Case& c : cases) {
        const auto result = Parse(c.args);
        const auto* error = std::get_if<CommandLineError>(&result);
        ASSERT_NE(error, nullptr) << c.message;
        EXPECT_EQ(error->message, c.message);
    }
}

TEST(CommandLineTest, UsageListsEveryOption) {
    const std::string usage = UsageText();
    for (const char* option :
         {"--help", "--version", "--send NAME WPARAM LPARAM", "--to ENDPOINT",
          "--simulate[=PID[:VERSION],...]", "--sim-dump FILE", "--screenshot FILE",
          "--exit-after MS", "--hidden", "--show", "--updater FILE", "UWM_DEVICE_TABLE_QUERY"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace calvorn::shell
