#include "sim/sim_keyboard.h"

#include <algorithm>
#include <utility>

#include "sim/factory_layout.h"

namespace calvorn::sim {
namespace {

using transport::Frame;
using transport::kChunkSize;
using transport::kPayloadByte;
using transport::kReportSize;

struct ProductDefaults {
    std::uint16_t vendor_id;
    std::uint16_t product_id;
    std::uint16_t version;
};

// The lowest version with which the host reads the key tables and pushes the profile.
constexpr std::array<ProductDefaults, 7> kProducts = {{
    {0x3329, 0x4EAB, 259},
    {0x3299, 0x4E93, 260},
    {0x3299, 0x4E96, 259},
    {0x3299, 0x4E99, 260},
    {0x3299, 0x4E9C, 259},
    {0x3299, 0x4EA2, 259},
    {0x3299, 0x4EA5, 259},
}};

// Factory settings page, the lighting and options of the shipped default profile: effect 4
// (spectrum), brightness 5, middle speed, direction 1, multicolour, red, all keys reported at
// once, highest report rate, custom group 0.
constexpr std::array<std::uint8_t, kSettingsPageSize> kFactoryPage = {
    0, 4, 5, 2, 1, 1, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0};

SimMemory FactoryMemory(const SimKeyboardConfig& config) {
    SimMemory memory;
    memory.device_info[kInfoProductIdByte] = static_cast<std::uint8_t>(config.product_id & 0xFF);
    memory.device_info[kInfoProductIdByte + 1] = static_cast<std::uint8_t>(config.product_id >> 8);
    memory.device_info[kInfoVersionByte] = static_cast<std::uint8_t>(config.version & 0xFF);
    memory.device_info[kInfoVersionByte + 1] = static_cast<std::uint8_t>(config.version >> 8);
    memory.device_info[kInfoProfileCountByte] = static_cast<std::uint8_t>(kProfileCount);
    memory.device_info[kInfoKeyCountByte] = config.key_count;
    memory.device_info[kInfoMacroCapacityByte] = config.macro_capacity;
    memory.device_info[kInfoLedCountByte] = config.key_count;

    memory.params.assign(kParamsSize, 0);
    // Pages overlap by one byte: byte 0 of page p is byte 25 (the custom group) of page p - 1.
    // Page 0's byte 0 is the active profile; bytes 1..25 of every page get the factory page.
    for (std::size_t profile = 0; profile < kProfileCount; ++profile) {
        std::copy(
            kFactoryPage.begin() + 1, kFactoryPage.end(),
            memory.params.begin() + static_cast<std::ptrdiff_t>(profile * kSettingsPageStride + 1));
    }

    memory.key_table.assign(kKeyTableSize, 0);
    memory.led_table.assign(kLedTableSize, 0);
    const auto& codes = FactoryKeyCodes();
    for (int key = 0; key < kLogicalKeys; ++key) {
        const int position = KeyPositionOfLogicalKey(key);
        if (position >= config.key_count) {
            continue;
        }
        std::copy(codes[static_cast<std::size_t>(key)].begin(),
                  codes[static_cast<std::size_t>(key)].end(),
                  memory.key_table.begin() + static_cast<std::ptrdiff_t>(position) * 3);
        memory.led_table[static_cast<std::size_t>(position)] =
            static_cast<std::uint8_t>(LedIndexOfPosition(position));
    }

    memory.custom_light.assign(kCustomLightGroups * kCustomLightStride, 0);
    memory.macro.assign(static_cast<std::size_t>(config.macro_capacity) * kMacroUnit, 0);
    memory.recoil.assign(kRecoilSize, 0);
    memory.power_window.assign(kPowerWindowSize, 0);
    std::copy(config.power_status.begin(), config.power_status.end(), memory.power_window.begin());
    memory.light_frame.assign(kLightFrameSize, 0);
    return memory;
}

// Whether [offset, offset + length) lies inside a memory of `size` bytes and fits one frame.
bool InRange(std::size_t offset, std::size_t length, std::size_t size) {
    return length <= kChunkSize && offset <= size && length <= size - offset;
}

// Copies the request's chunk into `memory`; false when it does not fit.
bool WriteChunk(const Frame& request, std::vector<std::uint8_t>& memory) {
    const std::size_t length = transport::FrameLength(request);
    const std::size_t offset = transport::FrameOffset(request);
    if (!InRange(offset, length, memory.size())) {
        return false;
    }
    std::copy_n(request.begin() + kPayloadByte, length,
                memory.begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

// Copies the requested chunk of `memory` into the reply payload; false when out of range.
bool ReadChunk(const Frame& request, std::span<const std::uint8_t> memory, Frame& reply) {
    const std::size_t length = transport::FrameLength(request);
    const std::size_t offset = transport::FrameOffset(request);
    if (!InRange(offset, length, memory.size())) {
        return false;
    }
    std::copy_n(memory.begin() + static_cast<std::ptrdiff_t>(offset), length,
                reply.begin() + kPayloadByte);
    return true;
}

Frame OkReply(const Frame& request) {
    return transport::MakeReply(request, transport::kStatusOk);
}

}  // namespace

bool IsSupportedProduct(std::uint16_t product_id) {
    return std::any_of(kProducts.begin(), kProducts.end(),
                       [&](const ProductDefaults& p) { return p.product_id == product_id; });
}

const std::vector<std::uint16_t>& SupportedProducts() {
    static const std::vector<std::uint16_t> products = [] {
        std::vector<std::uint16_t> ids;
        ids.reserve(kProducts.size());
        for (const auto& p : kProducts) {
            ids.push_back(p.product_id);
        }
        return ids;
    }();
    return products;
}

SimKeyboardConfig DefaultSimKeyboardConfig(std::uint16_t product_id) {
    SimKeyboardConfig config;
    for (const auto& p : kProducts) {
        if (p.product_id == product_id) {
            config.vendor_id = p.vendor_id;
            config.product_id = p.product_id;
            config.version = p.version;
        }
    }
    return config;
}

std::vector<std::uint8_t> VendorCollectionDescriptor() {
    return {
        0x06, 0x1C, 0xFF,  // Usage Page (vendor 0xFF1C)
        0x09, 0x92,        // Usage (0x92)
        0xA1, 0x01,        // Collection (Application)
        0x85, 0x04,        //   Report ID (4)
        0x15, 0x00,        //   Logical Minimum (0)
        0x26, 0xFF, 0x00,  //   Logical Maximum (255)
        0x75, 0x08,        //   Report Size (8)
        0x95, 0x3F,        //   Report Count (63)
        0x09, 0x01,        //   Usage (1)
        0x81, 0x02,        //   Input (Data, Variable, Absolute)
        0x09, 0x01,        //   Usage (1)
        0x91, 0x02,        //   Output (Data, Variable, Absolute)
        0xC0,              // End Collection
    };
}

std::vector<std::uint8_t> ConsumerCollectionDescriptor() {
    return {
        0x05, 0x0C,        // Usage Page (Consumer)
        0x09, 0x01,        // Usage (Consumer Control)
        0xA1, 0x01,        // Collection (Application)
        0x85, 0x03,        //   Report ID (3)
        0x15, 0x00,        //   Logical Minimum (0)
        0x26, 0xFF, 0x07,  //   Logical Maximum (0x07FF)
        0x19, 0x00,        //   Usage Minimum (0)
        0x2A, 0xFF, 0x07,  //   Usage Maximum (0x07FF)
        0x75, 0x10,        //   Report Size (16)
        0x95, 0x01,        //   Report Count (1)
        0x81, 0x00,        //   Input (Data, Array, Absolute)
        0xC0,              // End Collection
    };
}

SimKeyboard::SimKeyboard(SimKeyboardConfig config)
    : config_(config), memory_(FactoryMemory(config_)) {}

SimKeyboard::~SimKeyboard() {
    {
        std::lock_guard lock(worker_mutex_);
        worker_stop_ = true;
    }
    worker_wake_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
}

std::vector<hid::VirtualCollection> SimKeyboard::Collections() const {
    return {
        {kKeyboardInterface, kConsumerCollection, ConsumerCollectionDescriptor()},
        {kKeyboardInterface, kVendorCollection, VendorCollectionDescriptor()},
    };
}

void SimKeyboard::Connect(hid::VirtualHidPort* port) {
    {
        std::lock_guard lock(port_mutex_);
        port_ = port;
    }
    if (port != nullptr) {
        // Plugging in powers the keyboard up: what lives in RAM starts over, flash stays.
        std::lock_guard lock(memory_mutex_);
        removed_ = false;
        memory_.light_control = 0;
        memory_.in_session = false;
    }
}

bool SimKeyboard::IsConnected() const {
    std::lock_guard lock(port_mutex_);
    return port_ != nullptr;
}

bool SimKeyboard::OnOutputReport(std::uint8_t collection_number,
                                 std::span<const std::uint8_t> report) {
    if (collection_number != kVendorCollection) {
        return false;  // the consumer collection has no output report
    }
    std::vector<Outgoing> out;
    bool removal = false;
    std::function<void()> on_removal;
    {
        std::lock_guard lock(memory_mutex_);
        if (removed_) {
            return false;
        }
        ++request_count_;
        if (report.size() != kReportSize || report[0] != transport::kReportId) {
            return true;  // not a protocol frame: taken and ignored
        }
        Frame request;
        std::copy(report.begin(), report.end(), request.begin());
        if (config_.record_frames) {
            request_log_.push_back(request);
        }

        const std::optional<SimFault> fault = TakeFaultForFrame();
        if (fault && fault->kind == SimFaultKind::kRemoval) {
            removed_ = true;
            removal = true;
            on_removal = removal_handler_;
        } else if (fault && fault->kind == SimFaultKind::kStatus) {
            Frame reply = transport::MakeReply(request, fault->status);
            out.push_back({kVendorCollection, {reply.begin(), reply.end()}});
        } else {
            Frame reply = Execute(request);
            if (!fault) {
                out.push_back({kVendorCollection, {reply.begin(), reply.end()}});
            } else {
                switch (fault->kind) {
                    case SimFaultKind::kNoReply:
                        break;
                    case SimFaultKind::kLateReply:
                        if (fault->delay_ms < 0) {
                            held_replies_.push_back(reply);
                        } else {
                            Schedule(std::chrono::milliseconds(fault->delay_ms), [this, reply] {
                                Push({{kVendorCollection, {reply.begin(), reply.end()}}});
                            });
                        }
                        break;
                    case SimFaultKind::kOtherCommand:
                        reply[transport::kCommandByte] = fault->command;
                        transport::SealFrame(reply);
                        out.push_back({kVendorCollection, {reply.begin(), reply.end()}});
                        break;
                    case SimFaultKind::kStrayReplyFirst: {
                        const Frame stray = OkReply(transport::MakeRequest(fault->command));
                        out.push_back({kVendorCollection, {stray.begin(), stray.end()}});
                        out.push_back({kVendorCollection, {reply.begin(), reply.end()}});
                        break;
                    }
                    case SimFaultKind::kStatus:
                    case SimFaultKind::kRemoval:
                        break;
                }
            }
        }
    }
    if (removal) {
        if (on_removal) {
            on_removal();
        }
        return false;
    }
    Push(out);
    return true;
}

std::optional<SimFault> SimKeyboard::TakeFaultForFrame() {
    if (!fault_) {
        return std::nullopt;
    }
    if (fault_frames_seen_++ < fault_->after_frames) {
        return std::nullopt;
    }
    const SimFault fault = *fault_;
    ++fault_strikes_;
    if (fault.kind == SimFaultKind::kRemoval ||
        (fault.frames >= 0 && fault_strikes_ >= fault.frames)) {
        fault_.reset();
    }
    return fault;
}

Frame SimKeyboard::Execute(const Frame& request) {
    using namespace transport;
    if (!ChecksumMatches(request)) {
        return MakeReply(request, kStatusErrorFF);
    }
    Frame reply = OkReply(request);
    bool done = true;
    switch (FrameCommand(request)) {
        case CMD_BEGIN:
            memory_.in_session = true;
            break;
        case CMD_END:
            if (memory_.in_session) {
                ++memory_.sessions;
            }
            memory_.in_session = false;
            break;
        case CMD_READ_INFO:
            done = ReadChunk(request, memory_.device_info, reply);
            break;
        case CMD_READ_PARAMS:
            done = ReadChunk(request, memory_.params, reply);
            break;
        case CMD_WRITE_PARAMS:
            done = WriteChunk(request, memory_.params);
            break;
        case CMD_READ_KEY_TABLE:
            done = ReadChunk(request, memory_.key_table, reply);
            break;
        case CMD_WRITE_KEY_TABLE:
            done = WriteChunk(request, memory_.key_table);
            break;
        case CMD_WRITE_CUSTOM_LIGHT:
            done = WriteChunk(request, memory_.custom_light);
            break;
        case CMD_STREAM_LIGHT:
            done = WriteChunk(request, memory_.light_frame);
            if (done && FrameOffset(request) == 0) {
                ++memory_.frames_received;
            }
            break;
        case CMD_WRITE_MACROS:
            done = WriteChunk(request, memory_.macro);
            break;
        case CMD_WRITE_RECOIL:
            done = WriteChunk(request, memory_.recoil);
            break;
        case CMD_READ_PARAM_WINDOW:
            done = ReadChunk(request, memory_.power_window, reply);
            break;
        case CMD_READ_KEY_BYTES:
            done = ReadChunk(request, memory_.led_table, reply);
            break;
        case CMD_LIGHT_CONTROL:
            memory_.light_control = 1;
            break;
        case CMD_QUERY_LINK:
            reply[kPayloadByte] = config_.link_up ? kLinkUp : 0x00;
            break;
        default:
            return MakeReply(request, kStatusErrorFF);  // a command this keyboard does not know
    }
    if (!done) {
        return MakeReply(request, kStatusErrorFE);  // outside the memory, or too long a chunk
    }
    SealFrame(reply);
    return reply;
}

void SimKeyboard::Push(const std::vector<Outgoing>& reports) {
    std::lock_guard lock(port_mutex_);
    if (port_ == nullptr) {
        return;
    }
    for (const Outgoing& out : reports) {
        port_->PushInput(out.collection, out.report);
    }
}

void SimKeyboard::Schedule(std::chrono::milliseconds delay, std::function<void()> run) {
    std::lock_guard lock(worker_mutex_);
    tasks_.push_back({std::chrono::steady_clock::now() + delay, std::move(run)});
    if (!worker_.joinable()) {
        worker_ = std::thread([this] { WorkerLoop(); });
    }
    worker_wake_.notify_all();
}

void SimKeyboard::WorkerLoop() {
    std::unique_lock lock(worker_mutex_);
    while (!worker_stop_) {
        if (tasks_.empty()) {
            worker_wake_.wait(lock);
            continue;
        }
        auto next = std::min_element(tasks_.begin(), tasks_.end(),
                                     [](const Task& a, const Task& b) { return a.due < b.due; });
        if (std::chrono::steady_clock::now() < next->due) {
            worker_wake_.wait_until(lock, next->due);
            continue;
        }
        std::function<void()> run = std::move(next->run);
        tasks_.erase(next);
        lock.unlock();
        run();
        lock.lock();
    }
}

bool SimKeyboard::SendConsumerNotice(std::uint16_t usage) {
    std::lock_guard lock(port_mutex_);
    if (port_ == nullptr) {
        return false;
    }
    const std::array<std::uint8_t, kConsumerReportSize> report = {
        kConsumerReportId, static_cast<std::uint8_t>(usage & 0xFF),
        static_cast<std::uint8_t>(usage >> 8)};
    port_->PushInput(kConsumerCollection, report);
    return true;
}

bool SimKeyboard::PressKey(std::uint8_t position) {
    return SendConsumerNotice(static_cast<std::uint16_t>(kNoticeKeyPressBase + position));
}

bool SimKeyboard::ReleaseKey(std::uint8_t position) {
    return SendConsumerNotice(static_cast<std::uint16_t>(kNoticeKeyReleaseBase + position));
}

bool SimKeyboard::SwitchProfile(std::uint8_t profile) {
    {
        std::lock_guard lock(memory_mutex_);
        memory_.params[0] = profile;
    }
    return SendSyncRequest();
}

void SimKeyboard::InjectFault(const SimFault& fault) {
    std::lock_guard lock(memory_mutex_);
    fault_ = fault;
    fault_frames_seen_ = 0;
    fault_strikes_ = 0;
}

void SimKeyboard::ClearFault() {
    std::lock_guard lock(memory_mutex_);
    fault_.reset();
}

std::size_t SimKeyboard::ReleaseHeldReplies() {
    std::vector<Outgoing> out;
    {
        std::lock_guard lock(memory_mutex_);
        for (const Frame& reply : held_replies_) {
            out.push_back({kVendorCollection, {reply.begin(), reply.end()}});
        }
        held_replies_.clear();
    }
    Push(out);
    return out.size();
}

void SimKeyboard::SetRemovalHandler(std::function<void()> handler) {
    std::lock_guard lock(memory_mutex_);
    removal_handler_ = std::move(handler);
}

SimMemory SimKeyboard::Memory() const {
    std::lock_guard lock(memory_mutex_);
    return memory_;
}

void SimKeyboard::EditMemory(const std::function<void(SimMemory&)>& edit) {
    std::lock_guard lock(memory_mutex_);
    edit(memory_);
}

std::uint64_t SimKeyboard::RequestCount() const {
    std::lock_guard lock(memory_mutex_);
    return request_count_;
}

std::vector<Frame> SimKeyboard::RequestLog() const {
    std::lock_guard lock(memory_mutex_);
    return request_log_;
}

}  // namespace calvorn::sim
