#include "sim/simulated_keyboards.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace calvorn::sim {
namespace {

Json::Value ByteArray(std::span<const std::uint8_t> bytes) {
    Json::Value array(Json::arrayValue);
    for (std::uint8_t byte : bytes) {
        array.append(Json::UInt(byte));
    }
    return array;
}

}  // namespace

SimulatedKeyboards::SimulatedKeyboards(hid::VirtualHidBackend& backend) : backend_(backend) {}

SimulatedKeyboards::~SimulatedKeyboards() {
    std::lock_guard lock(mutex_);
    for (const Entry& entry : entries_) {
        entry.keyboard->SetRemovalHandler(nullptr);
        if (backend_.IsPlugged(entry.plug_id)) {
            backend_.Unplug(entry.plug_id);
        }
    }
}

std::uint32_t SimulatedKeyboards::PlugKeyboard(const std::shared_ptr<SimKeyboard>& keyboard) {
    const std::uint32_t id = backend_.Plug(keyboard);
    // Runs on the thread whose write the keyboard refused; the backend allows unplugging
    // from there. The entry keeps the keyboard alive meanwhile.
    keyboard->SetRemovalHandler([&backend = backend_, id] { backend.Unplug(id); });
    return id;
}

std::size_t SimulatedKeyboards::Plug(const SimKeyboardConfig& config) {
    auto keyboard = std::make_shared<SimKeyboard>(config);
    const std::uint32_t id = PlugKeyboard(keyboard);
    std::lock_guard lock(mutex_);
    entries_.push_back({keyboard, id});
    return entries_.size() - 1;
}

std::size_t SimulatedKeyboards::Plug(const SimDeviceRequest& request) {
    SimKeyboardConfig config = DefaultSimKeyboardConfig(request.product_id);
    config.version = request.version;
    return Plug(config);
}

void SimulatedKeyboards::PlugAll(const std::vector<SimDeviceRequest>& specs) {
    for (const SimDeviceRequest& request : specs) {
        Plug(request);
    }
}

void SimulatedKeyboards::Unplug(std::size_t index) {
    std::uint32_t id = 0;
    {
        std::lock_guard lock(mutex_);
        id = entries_.at(index).plug_id;
    }
    backend_.Unplug(id);
}

void SimulatedKeyboards::Replug(std::size_t index) {
    std::shared_ptr<SimKeyboard> keyboard;
    {
        std::lock_guard lock(mutex_);
        const Entry& entry = entries_.at(index);
        if (backend_.IsPlugged(entry.plug_id)) {
            return;
        }
        keyboard = entry.keyboard;
    }
    const std::uint32_t id = PlugKeyboard(keyboard);
    std::lock_guard lock(mutex_);
    entries_.at(index).plug_id = id;
}

bool SimulatedKeyboards::IsAttached(std::size_t index) const {
    std::lock_guard lock(mutex_);
    return backend_.IsPlugged(entries_.at(index).plug_id);
}

std::size_t SimulatedKeyboards::Count() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

SimKeyboard& SimulatedKeyboards::Keyboard(std::size_t index) const {
    std::lock_guard lock(mutex_);
    return *entries_.at(index).keyboard;
}

Json::Value SimulatedKeyboards::Dump() const {
    std::lock_guard lock(mutex_);
    Json::Value devices(Json::arrayValue);
    for (const Entry& entry : entries_) {
        const SimKeyboard& keyboard = *entry.keyboard;
        const SimMemory memory = keyboard.Memory();
        Json::Value device(Json::objectValue);
        device["vid"] = Json::UInt(keyboard.VendorId());
        device["pid"] = Json::UInt(keyboard.ProductId());
        device["version"] = Json::UInt(keyboard.VersionNumber());
        device["attached"] = backend_.IsPlugged(entry.plug_id);
        device["params"] = ByteArray(memory.params);
        device["key_table"] = ByteArray(memory.key_table);
        device["led_table"] = ByteArray(memory.led_table);
        device["custom_light"] = ByteArray(memory.custom_light);
        device["macro"] = ByteArray(memory.macro);
        device["recoil"] = ByteArray(memory.recoil);
        device["light_control"] = Json::UInt(memory.light_control);
        device["frames_received"] = Json::UInt(memory.frames_received);
        devices.append(device);
    }
    Json::Value root(Json::objectValue);
    root["devices"] = devices;
    return root;
}

bool SimulatedKeyboards::WriteSimDump(const std::string& path, std::string* error) const {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    const std::string text = Json::writeString(builder, Dump()) + "\n";
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << text;
        file.close();
        if (!file) {
            if (error != nullptr) {
                *error = "cannot write " + temporary + ": " +
                         std::error_code(errno, std::generic_category()).message();
            }
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        if (error != nullptr) {
            *error = "cannot replace " + path + ": " +
                     std::error_code(errno, std::generic_category()).message();
        }
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace calvorn::sim
