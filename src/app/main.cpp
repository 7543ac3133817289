#include <cstdio>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/gui_app.h"
#include "platform/ipc_endpoint.h"
#include "shell/command_line.h"

namespace shell = calvorn::shell;

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const auto parsed = shell::ParseCommandLine(args);
    if (const auto* error = std::get_if<shell::CommandLineError>(&parsed)) {
        std::fprintf(stderr, "%s\nTry 'calvorn --help' for more information.\n",
                     error->message.c_str());
        return shell::kExitUsage;
    }
    const auto& options = std::get<shell::CommandLineOptions>(parsed);
    if (options.help) {
        std::fputs(shell::UsageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("calvorn %s\n", CALVORN_VERSION);
        return 0;
    }
    if (options.send) {
        const shell::SendRequest& send = *options.send;
        if (!calvorn::platform::IpcSend(send.endpoint, send.message, send.wparam, send.lparam)) {
            std::fprintf(stderr, "calvorn: nobody is listening on %s\n", send.endpoint.c_str());
            return 1;
        }
        return 0;
    }
    return calvorn::app::RunGui(options, argc, argv);
}
