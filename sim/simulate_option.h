#pragma once

// The --simulate[=PID[:VERSION],...] option: which simulated keyboards to plug at start-up.
// PID is a hexadecimal product ID (with or without "0x"), VERSION a decimal firmware version;
// without a version the product's default firmware is used. An empty list means one keyboard
// of product 0x4E93.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace calvorn::sim {

struct SimDeviceRequest {
    std::uint16_t product_id = 0;
    std::uint16_t version = 0;

    bool operator==(const SimDeviceRequest&) const = default;
};

struct SimulateRequest {
    std::vector<SimDeviceRequest> devices;
    std::string error;  // empty when the text was understood

    bool ok() const { return error.empty(); }
};

SimulateRequest ParseSimulateOption(std::string_view text);

}  // namespace calvorn::sim
