#pragma once

// The simulated keyboards of one run (--simulate): plugs them into the virtual HID backend in
// order, keeps them for the test or the demo that drives them, and writes their memories as
// JSON (--sim-dump) so that a run can be checked from outside:
//   {"devices": [{"vid": 12953, "pid": 20115, "version": 260, "attached": true,
//                 "params": [...], "key_table": [...], "led_table": [...],
//                 "custom_light": [...], "macro": [...], "recoil": [...],
//                 "light_control": 0, "frames_received": 123}]}
// Byte arrays are arrays of integers 0-255 holding whole memories; devices in plug order.

#include <json/json.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "hid/virtual_hid_backend.h"
#include "sim/sim_keyboard.h"
#include "sim/simulate_option.h"

namespace calvorn::sim {

class SimulatedKeyboards {
public:
    // The backend must outlive this owner.
    explicit SimulatedKeyboards(hid::VirtualHidBackend& backend);
    // Unplugs the keyboards that are still plugged.
    ~SimulatedKeyboards();
    SimulatedKeyboards(const SimulatedKeyboards&) = delete;
    SimulatedKeyboards& operator=(const SimulatedKeyboards&) = delete;

    // Plugs a keyboard and returns its index (plug order). A removal fault unplugs it.
    std::size_t Plug(const SimKeyboardConfig& config);
    // The product's default keyboard with the given firmware version.
    std::size_t Plug(const SimDeviceRequest& request);
    void PlugAll(const std::vector<SimDeviceRequest>& specs);

    // Pulls keyboard `index` out; its memory stays. Replug plugs the same keyboard in again.
    void Unplug(std::size_t index);
    void Replug(std::size_t index);
    bool IsAttached(std::size_t index) const;

    std::size_t Count() const;
    SimKeyboard& Keyboard(std::size_t index) const;

    Json::Value Dump() const;
    // Writes Dump() to `path` through a temporary file in the same folder. False when the
    // file cannot be written; `error` then says why.
    bool WriteSimDump(const std::string& path, std::string* error = nullptr) const;

private:
    struct Entry {
        std::shared_ptr<SimKeyboard> keyboard;
        std::uint32_t plug_id = 0;
    };
    std::uint32_t PlugKeyboard(const std::shared_ptr<SimKeyboard>& keyboard);

    hid::VirtualHidBackend& backend_;
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
};

}  // namespace calvorn::sim
