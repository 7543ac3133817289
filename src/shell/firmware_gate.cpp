#include "shell/firmware_gate.h"

#include <array>

namespace calvorn::shell {
namespace {

constexpr std::array<FirmwareRule, 7> kFirmwareRules = {{
    {0x4E93, 0x103, FirmwareAfterPrompt::kExitWhenConfirmed},
    {0x4E96, 0x101, FirmwareAfterPrompt::kExitWhenConfirmed},
    {0x4E9C, 0x101, FirmwareAfterPrompt::kExitAlways},
    {0x4EA2, 0x101, FirmwareAfterPrompt::kExitWhenConfirmed},
    {0x4EA5, 0x101, FirmwareAfterPrompt::kExitWhenConfirmed},
    {0x4EA8, 0x101, FirmwareAfterPrompt::kExitWhenConfirmed},
    {0x4E99, 0x104, FirmwareAfterPrompt::kUpdaterOrExit},
}};

}  // namespace

std::optional<FirmwareRule> FindFirmwareRule(std::uint16_t product_id) {
    for (const FirmwareRule& rule : kFirmwareRules) {
        if (rule.product_id == product_id) {
            return rule;
        }
    }
    return std::nullopt;
}

}  // namespace calvorn::shell
