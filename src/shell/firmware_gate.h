#pragma once

// The keyboard firmware gate: which products need at least which firmware version, and what
// the program does after telling the user that a keyboard needs an update.

#include <cstdint>
#include <optional>

namespace calvorn::shell {

enum class FirmwareAfterPrompt {
    kExitWhenConfirmed,  // confirmed: the program ends
    kExitAlways,         // the program ends whatever the answer
    kUpdaterOrExit,      // confirmed: start the external updater and keep running; else end
};

struct FirmwareRule {
    std::uint16_t product_id;
    std::uint16_t minimum_version;
    FirmwareAfterPrompt after_prompt;
};

// The rule for a product, or nothing for products the gate does not know.
std::optional<FirmwareRule> FindFirmwareRule(std::uint16_t product_id);

}  // namespace calvorn::shell
