#pragma once

// A simulated keyboard: the firmware side of the report protocol behind the virtual HID
// backend. It shows the two collections of a real keyboard's interface 1 (collection 4: the
// vendor collection with report ID 4 and 64-byte reports; collection 3: consumer control),
// answers every command on the vendor collection from its own memory, and sends consumer
// notices (sync request, key press and release) when a test or the demo asks.
//
// Tests start from SimKeyboardConfig's defaults (or DefaultSimKeyboardConfig(pid)) and change
// one field; faults (no reply, late reply, wrong reply, error status, removal) are injected
// with InjectFault and strike after a given number of frames.

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

#include "hid/virtual_hid.h"
#include "transport/report_protocol.h"

namespace calvorn::sim {

inline constexpr std::uint8_t kKeyboardInterface = 1;
inline constexpr std::uint8_t kConsumerCollection = 3;
inline constexpr std::uint8_t kVendorCollection = 4;
inline constexpr std::uint8_t kConsumerReportId = 3;
inline constexpr std::size_t kConsumerReportSize = 3;  // report ID, 16-bit usage

// Consumer notices.
inline constexpr std::uint16_t kNoticeSyncRequest = 0x0401;
inline constexpr std::uint16_t kNoticeKeyPressBase = 0x0500;    // + key position
inline constexpr std::uint16_t kNoticeKeyReleaseBase = 0x0600;  // + key position

// Memory sizes.
inline constexpr std::size_t kDeviceInfoSize = 34;
inline constexpr std::size_t kProfileCount = 5;
inline constexpr std::size_t kSettingsPageSize = 26;
inline constexpr std::size_t kSettingsPageStride = 25;  // pages overlap by one byte
inline constexpr std::size_t kParamsSize = 128;
inline constexpr std::size_t kKeyTableSize = 512;
inline constexpr std::size_t kLedTableSize = 512;
inline constexpr std::size_t kCustomLightGroups = 5;
inline constexpr std::size_t kCustomLightStride = 512;
inline constexpr std::size_t kMacroUnit = 128;
inline constexpr std::size_t kRecoilSize = 1024;
inline constexpr std::size_t kPowerWindowSize = 56;
inline constexpr std::size_t kLightFrameSize = 512;

// Device information block layout.
inline constexpr std::size_t kInfoProductIdByte = 0;  // 2 bytes, little-endian
inline constexpr std::size_t kInfoVersionByte = 2;    // 2 bytes, little-endian
inline constexpr std::size_t kInfoProfileCountByte = 4;
inline constexpr std::size_t kInfoKeyCountByte = 5;
inline constexpr std::size_t kInfoMacroCapacityByte = 6;  // in 128-byte units
inline constexpr std::size_t kInfoLedCountByte = 7;

struct SimKeyboardConfig {
    std::uint16_t vendor_id = 0x3299;
    std::uint16_t product_id = 0x4E93;
    std::uint16_t version = 260;
    std::uint8_t key_count = 126;      // key positions in use (at most 170)
    std::uint8_t macro_capacity = 32;  // macro memory in 128-byte units
    bool link_up = true;               // reply byte 8 of a link query: 0xFF when up
    std::array<std::uint8_t, 6> power_status = {100, 0, 0, 0, 0, 0};
    bool record_frames = false;  // keep every request frame for RequestLog()
};

// The supported products and their firmware defaults.
bool IsSupportedProduct(std::uint16_t product_id);
const std::vector<std::uint16_t>& SupportedProducts();
// Defaults for a supported product: its vendor ID and the lowest firmware version with which
// the host reads the key tables and pushes the profile.
SimKeyboardConfig DefaultSimKeyboardConfig(std::uint16_t product_id);

// Report descriptors of the two collections.
std::vector<std::uint8_t> VendorCollectionDescriptor();
std::vector<std::uint8_t> ConsumerCollectionDescriptor();

// Everything the keyboard remembers.
struct SimMemory {
    std::array<std::uint8_t, kDeviceInfoSize> device_info{};
    std::vector<std::uint8_t> params;        // settings pages of every profile
    std::vector<std::uint8_t> key_table;     // 3 bytes per key position
    std::vector<std::uint8_t> led_table;     // LED index per key position
    std::vector<std::uint8_t> custom_light;  // one 512-byte block per custom light group
    std::vector<std::uint8_t> macro;         // macro event image
    std::vector<std::uint8_t> recoil;        // recoil event image
    std::vector<std::uint8_t> power_window;  // read with the parameter-window command
    std::vector<std::uint8_t> light_frame;   // last streamed light data
    std::uint8_t light_control = 0;          // 1 once the host took over the lights
    std::uint32_t frames_received = 0;       // light frames streamed (chunks at offset 0)
    bool in_session = false;
    std::uint32_t sessions = 0;  // completed begin/end pairs
};

enum class SimFaultKind {
    kNoReply,          // the command is carried out, the reply is lost
    kLateReply,        // carried out; the reply comes after delay_ms, or when released
    kOtherCommand,     // carried out; the reply names `command` instead of the request's
    kStrayReplyFirst,  // carried out; a reply to `command` arrives before the real one
    kStatus,           // refused: the reply carries `status`
    kRemoval,          // the keyboard is pulled out before it sees the frame
};

struct SimFault {
    SimFaultKind kind = SimFaultKind::kNoReply;
    int after_frames = 0;  // vendor frames answered normally before the fault strikes
    int frames = 1;        // frames it strikes; -1 = every later frame
    int delay_ms = -1;     // kLateReply: -1 holds the reply until ReleaseHeldReplies()
    std::uint8_t command = transport::CMD_BEGIN;      // kOtherCommand, kStrayReplyFirst
    std::uint8_t status = transport::kStatusErrorFE;  // kStatus
};

class SimKeyboard final : public hid::VirtualHidDevice {
public:
    explicit SimKeyboard(SimKeyboardConfig config = {});
    ~SimKeyboard() override;
    SimKeyboard(const SimKeyboard&) = delete;
    SimKeyboard& operator=(const SimKeyboard&) = delete;

    // hid::VirtualHidDevice
    std::uint16_t VendorId() const override { return config_.vendor_id; }
    std::uint16_t ProductId() const override { return config_.product_id; }
    std::uint16_t VersionNumber() const override { return config_.version; }
    std::vector<hid::VirtualCollection> Collections() const override;
    void Connect(hid::VirtualHidPort* port) override;
    bool OnOutputReport(std::uint8_t collection_number,
                        std::span<const std::uint8_t> report) override;

    const SimKeyboardConfig& Config() const { return config_; }
    bool IsConnected() const;

    // Consumer notices on collection 3. False when nothing is connected.
    bool SendConsumerNotice(std::uint16_t usage);
    bool SendSyncRequest() { return SendConsumerNotice(kNoticeSyncRequest); }
    bool PressKey(std::uint8_t position);    // 0x0500 + position
    bool ReleaseKey(std::uint8_t position);  // 0x0600 + position
    // A profile switch made on the keyboard itself: stores the active profile and asks the
    // host to read the settings again.
    bool SwitchProfile(std::uint8_t profile);

    // Fault injection. A new fault replaces the previous one; frames count from here.
    void InjectFault(const SimFault& fault);
    void ClearFault();
    // Delivers the replies held back by a kLateReply fault, oldest first; returns how many.
    std::size_t ReleaseHeldReplies();
    // Called on the keyboard's own worker thread when a kRemoval fault strikes, so that the
    // owner can unplug it from the bus. The owner must keep the keyboard alive meanwhile.
    void SetRemovalHandler(std::function<void()> handler);

    SimMemory Memory() const;
    // Changes the memory under the keyboard's lock (test set-up).
    void EditMemory(const std::function<void(SimMemory&)>& edit);
    // Vendor-collection output reports seen (including refused ones).
    std::uint64_t RequestCount() const;
    // Every request frame in order, when config.record_frames is set.
    std::vector<transport::Frame> RequestLog() const;

private:
    struct Outgoing {
        std::uint8_t collection;
        std::vector<std::uint8_t> report;
    };
    struct Task {
        std::chrono::steady_clock::time_point due;
        std::function<void()> run;
    };

    transport::Frame Execute(const transport::Frame& request);  // memory_mutex_ held
    std::optional<SimFault> TakeFaultForFrame();                // memory_mutex_ held
    void Push(const std::vector<Outgoing>& reports);
    void Schedule(std::chrono::milliseconds delay, std::function<void()> run);
    void WorkerLoop();

    const SimKeyboardConfig config_;

    mutable std::mutex memory_mutex_;
    SimMemory memory_;
    std::optional<SimFault> fault_;
    int fault_frames_seen_ = 0;
    int fault_strikes_ = 0;
    std::vector<transport::Frame> held_replies_;
    bool removed_ = false;
    std::uint64_t request_count_ = 0;
    std::vector<transport::Frame> request_log_;
    std::function<void()> removal_handler_;

    // Guards the port: held while pushing, so that a disconnect waits for a push in flight.
    mutable std::mutex port_mutex_;
    hid::VirtualHidPort* port_ = nullptr;

    std::mutex worker_mutex_;
    std::condition_variable worker_wake_;
    std::vector<Task> tasks_;
    bool worker_stop_ = false;
    std::thread worker_;  // started on first use
};

}  // namespace calvorn::sim
