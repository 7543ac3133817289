#include "sim/simulate_option.h"

#include <charconv>
#include <cstdio>

#include "sim/sim_keyboard.h"

namespace calvorn::sim {
namespace {

constexpr std::uint16_t kDefaultProduct = 0x4E93;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// Parses all of `text` as a number of the given base that fits 16 bits.
bool ParseWhole(std::string_view text, int base, std::uint16_t& value) {
    if (text.empty()) {
        return false;
    }
    unsigned parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed, base);
    if (error != std::errc() || end != text.data() + text.size() || parsed > 0xFFFF) {
        return false;
    }
    value = static_cast<std::uint16_t>(parsed);
    return true;
}

std::string SupportedList() {
    std::string list;
    for (std::uint16_t product : SupportedProducts()) {
        char id[8];
        std::snprintf(id, sizeof id, "%04X", product);
        list += list.empty() ? "" : ", ";
        list += id;
    }
    return list;
}

}  // namespace

SimulateRequest ParseSimulateOption(std::string_view text) {
    SimulateRequest request;
    text = Trim(text);
    if (text.empty()) {
        request.devices.push_back(
            {kDefaultProduct, DefaultSimKeyboardConfig(kDefaultProduct).version});
        return request;
    }
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = Trim(text.substr(0, comma));
        const std::size_t colon = item.find(':');
        std::string_view product_text = Trim(item.substr(0, colon));
        if (product_text.starts_with("0x") || product_text.starts_with("0X")) {
            product_text.remove_prefix(2);
        }
        SimDeviceRequest device;
        if (!ParseWhole(product_text, 16, device.product_id)) {
            request.devices.clear();
            request.error = "--simulate: \"" + std::string(item) +
                            "\" is not a product ID (hexadecimal, for example 4E93)";
            return request;
        }
        if (!IsSupportedProduct(device.product_id)) {
            request.devices.clear();
            request.error = "--simulate: product " + std::string(product_text) +
                            " is not a supported keyboard (supported: " + SupportedList() + ")";
            return request;
        }
        device.version = DefaultSimKeyboardConfig(device.product_id).version;
        if (colon != std::string_view::npos &&
            !ParseWhole(Trim(item.substr(colon + 1)), 10, device.version)) {
            request.devices.clear();
            request.error = "--simulate: \"" + std::string(item) +
                            "\" has no valid firmware version (decimal 0-65535 after the colon)";
            return request;
        }
        request.devices.push_back(device);
        if (comma == std::string_view::npos) {
            return request;
        }
        text = text.substr(comma + 1);
    }
}

}  // namespace calvorn::sim
