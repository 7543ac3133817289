#include "hid/hidraw_backend.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bitset>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

#include "hid/hid_device.h"
#include "hid/report_descriptor.h"

namespace calvorn::hid {
namespace {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }

private:
    void Reset() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    int fd_ = -1;
};

// Reads a whole small file; nothing when it cannot be opened or read or exceeds `limit`.
std::optional<std::vector<std::uint8_t>> ReadFile(const std::string& path, std::size_t limit) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[4096];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        if (n == 0) {
            return bytes;
        }
        if (bytes.size() + static_cast<std::size_t>(n) > limit) {
            return std::nullopt;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
}

std::optional<std::string> ReadText(const std::string& path) {
    std::optional<std::vector<std::uint8_t>> bytes = ReadFile(path, 65536);
    if (!bytes) {
        return std::nullopt;
    }
    return std::string(bytes->begin(), bytes->end());
}

// The value of `key` in a uevent file ("KEY=value" lines).
std::optional<std::string_view> UeventValue(std::string_view uevent, std::string_view key) {
    std::size_t pos = 0;
    while (pos < uevent.size()) {
        std::size_t end = uevent.find('\n', pos);
        if (end == std::string_view::npos) {
            end = uevent.size();
        }
        const std::string_view line = uevent.substr(pos, end - pos);
        if (line.size() > key.size() && line.substr(0, key.size()) == key &&
            line[key.size()] == '=') {
            return line.substr(key.size() + 1);
        }
        pos = end + 1;
    }
    return std::nullopt;
}

// Parses an unsigned number in `base` that fills the whole of `text`.
std::optional<unsigned long> ParseNumber(std::string_view text, int base) {
    if (text.empty() || text.size() > 16) {
        return std::nullopt;
    }
    const std::string copy(text);
    char* end = nullptr;
    const unsigned long value = std::strtoul(copy.c_str(), &end, base);
    if (end != copy.c_str() + copy.size() || copy[0] == '-' || copy[0] == '+') {
        return std::nullopt;
    }
    return value;
}

// "hidraw<digits>" gives the number; anything else nothing.
std::optional<unsigned long> NodeNumber(std::string_view name) {
    constexpr std::string_view kPrefix = "hidraw";
    if (name.substr(0, kPrefix.size()) != kPrefix) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(kPrefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return ParseNumber(digits, 10);
}

int RemainingMs(const std::optional<std::chrono::steady_clock::time_point>& deadline) {
    if (!deadline) {
        return -1;
    }
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::int64_t>(0, left.count()));
}

std::optional<std::chrono::steady_clock::time_point> Deadline(int timeout_ms) {
    if (timeout_ms < 0) {
        return std::nullopt;
    }
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
}

class HidrawHandle final : public HidBackendHandle {
public:
    HidrawHandle(UniqueFd node, UniqueFd abort, const HidOpenOptions& options,
                 bool numbered_reports, std::bitset<256> report_ids)
        : node_(std::move(node)),
          abort_(std::move(abort)),
          can_read_(options.read && node_.Valid()),
          can_write_(options.write && node_.Valid()),
          numbered_reports_(numbered_reports),
          report_ids_(report_ids) {}

    HidTransferStatus ReadReport(std::vector<std::uint8_t>& report, int timeout_ms) override {
        if (!can_read_) {
            return HidTransferStatus::kFailed;
        }
        const auto deadline = Deadline(timeout_ms);
        // One extra byte in front, where a report of a device without report IDs gets its 0.
        std::vector<std::uint8_t> buffer(HidReportDescriptor::kMaxReportBytes + 1);
        int skipped_late = 0;
        for (;;) {
            const HidTransferStatus ready = Wait(POLLIN, RemainingMs(deadline));
            if (ready != HidTransferStatus::kOk) {
                return ready;
            }
            const ssize_t n = ::read(node_.Get(), buffer.data() + 1, buffer.size() - 1);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            }
            if (n <= 0) {
                return HidTransferStatus::kFailed;  // device gone or I/O error
            }
            const auto end = buffer.begin() + 1 + n;
            if (!numbered_reports_) {
                buffer[0] = 0;
                report.assign(buffer.begin(), end);
                return HidTransferStatus::kOk;
            }
            if (report_ids_[buffer[1]]) {
                report.assign(buffer.begin() + 1, end);
                return HidTransferStatus::kOk;
            }
            // Another collection's report: keep waiting for ours within the same deadline.
            // Past the deadline only what is already queued is looked at, and no more than a
            // node's queue holds, so a stream of other reports cannot hold the call.
            if (deadline && std::chrono::steady_clock::now() >= *deadline &&
                ++skipped_late > kNodeQueueLength) {
                return HidTransferStatus::kTimedOut;
            }
        }
    }

    HidTransferStatus WriteReport(std::span<const std::uint8_t> report, int timeout_ms) override {
        if (!can_write_ || report.empty()) {
            return HidTransferStatus::kFailed;
        }
        const auto deadline = Deadline(timeout_ms);
        for (;;) {
            const HidTransferStatus ready = Wait(POLLOUT, RemainingMs(deadline));
            if (ready != HidTransferStatus::kOk) {
                return ready;
            }
            const ssize_t n = ::write(node_.Get(), report.data(), report.size());
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            }
            return n == static_cast<ssize_t>(report.size()) ? HidTransferStatus::kOk
                                                            : HidTransferStatus::kFailed;
        }
    }

    bool SetOutputReport(std::span<const std::uint8_t> report) override {
        // The ioctl's size field has 14 bits.
        if (!can_write_ || report.empty() || report.size() >= (1u << 14)) {
            return false;
        }
        std::vector<std::uint8_t> copy(report.begin(), report.end());
        if (::ioctl(node_.Get(), HIDIOCSOUTPUT(copy.size()), copy.data()) >= 0) {
            return true;
        }
        // Kernels before 5.11 have no control-channel output ioctl; a write is the nearest.
        return errno == ENOTTY && WriteReport(report, kControlTimeoutMs) == HidTransferStatus::kOk;
    }

    void Abort() override {
        const std::uint64_t one = 1;
        // The eventfd stays readable from now on, so every later wait ends at once too.
        [[maybe_unused]] const ssize_t written = ::write(abort_.Get(), &one, sizeof one);
    }

private:
    static constexpr int kControlTimeoutMs = 1000;
    static constexpr int kNodeQueueLength = 64;  // reports a hidraw descriptor buffers

    // Waits until the node is ready for `events`, the handle is aborted or time runs out.
    HidTransferStatus Wait(short events, int timeout_ms) {
        for (;;) {
            pollfd fds[2] = {{abort_.Get(), POLLIN, 0}, {node_.Get(), events, 0}};
            const int n = ::poll(fds, 2, timeout_ms);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return HidTransferStatus::kFailed;
            }
            if (fds[0].revents != 0) {
                return HidTransferStatus::kAborted;
            }
            if (n == 0) {
                return HidTransferStatus::kTimedOut;
            }
            if (fds[1].revents & events) {
                return HidTransferStatus::kOk;
            }
            return HidTransferStatus::kFailed;  // POLLERR, POLLHUP or POLLNVAL: device gone
        }
    }

    UniqueFd node_;
    UniqueFd abort_;
    const bool can_read_;
    const bool can_write_;
    const bool numbered_reports_;
    const std::bitset<256> report_ids_;  // input reports of this handle's collection
};

}  // namespace

HidrawBackend::HidrawBackend(std::string sysfs_root, std::string dev_root, NodeOpener opener)
    : sysfs_root_(std::move(sysfs_root)),
      dev_root_(std::move(dev_root)),
      opener_(std::move(opener)) {
    if (!opener_) {
        opener_ = [](const std::string& node, int flags) { return ::open(node.c_str(), flags); };
    }
}

std::string HidrawBackend::EntryPath(const std::string& name) const {
    return sysfs_root_ + "/class/hidraw/" + name;
}

std::optional<HidrawBackend::NodeInfo> HidrawBackend::ReadNode(const std::string& name,
                                                               bool with_descriptor) const {
    const std::string device = EntryPath(name) + "/device";
    const std::optional<std::string> uevent = ReadText(device + "/uevent");
    if (!uevent) {
        return std::nullopt;
    }
    // HID_ID=<bus>:<vendor>:<product>, each in hex.
    const std::optional<std::string_view> id = UeventValue(*uevent, "HID_ID");
    if (!id) {
        return std::nullopt;
    }
    const std::size_t first = id->find(':');
    const std::size_t second = id->find(':', first == std::string_view::npos ? 0 : first + 1);
    if (first == std::string_view::npos || second == std::string_view::npos) {
        return std::nullopt;
    }
    const auto vendor = ParseNumber(id->substr(first + 1, second - first - 1), 16);
    const auto product = ParseNumber(id->substr(second + 1), 16);
    if (!vendor || !product) {
        return std::nullopt;
    }

    NodeInfo info;
    info.attributes.vendor_id = static_cast<std::uint16_t>(*vendor);
    info.attributes.product_id = static_cast<std::uint16_t>(*product);
    // USB: HID_PHYS=usb-0000:00:14.0-1/input1 names the interface.
    if (const auto phys = UeventValue(*uevent, "HID_PHYS")) {
        const std::size_t input = phys->rfind("/input");
        if (input != std::string_view::npos) {
            if (const auto number = ParseNumber(phys->substr(input + 6), 10)) {
                info.interface_number = static_cast<std::uint8_t>(*number);
            }
        }
    }
    // The USB device folder is two levels above the HID device (above the interface).
    if (const auto bcd = ReadText(device + "/../../bcdDevice")) {
        std::string_view text = *bcd;
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
            text.remove_suffix(1);
        }
        if (const auto version = ParseNumber(text, 16)) {
            info.attributes.version_number = static_cast<std::uint16_t>(*version);
        }
    }
    if (with_descriptor) {
        auto descriptor =
            ReadFile(device + "/report_descriptor", HidReportDescriptor::kMaxDescriptorSize);
        if (!descriptor) {
            return std::nullopt;
        }
        info.report_descriptor = std::move(*descriptor);
    }
    return info;
}

std::optional<std::vector<std::string>> HidrawBackend::EnumeratePaths() {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(
        ::opendir((sysfs_root_ + "/class/hidraw").c_str()), &::closedir);
    if (!dir) {
        if (errno == ENOENT) {
            return std::vector<std::string>{};
        }
        return std::nullopt;
    }
    std::vector<std::pair<unsigned long, std::string>> nodes;
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (const auto number = NodeNumber(entry->d_name)) {
            nodes.emplace_back(*number, entry->d_name);
        }
    }
    if (errno != 0) {
        return std::nullopt;
    }
    std::sort(nodes.begin(), nodes.end());

    std::vector<std::string> paths;
    for (const auto& [number, name] : nodes) {
        const std::optional<NodeInfo> info = ReadNode(name, true);
        if (!info) {
            continue;
        }
        char text[64];
        std::snprintf(text, sizeof text, "#vid_%04x&pid_%04x", info->attributes.vendor_id,
                      info->attributes.product_id);
        std::string base = dev_root_ + "/" + name + text;
        if (info->interface_number) {
            std::snprintf(text, sizeof text, "&mi_%02x", *info->interface_number);
            base += text;
        }
        const auto descriptor = HidReportDescriptor::Parse(info->report_descriptor);
        const std::size_t collections = descriptor ? descriptor->collections.size() : 0;
        if (collections <= 1) {
            paths.push_back(base);
            continue;
        }
        for (std::size_t i = 1; i <= collections; ++i) {
            std::snprintf(text, sizeof text, "&col%02zx", i);
            paths.push_back(base + text);
        }
    }
    return paths;
}

std::optional<std::string> HidrawBackend::NodeName(std::string_view path) const {
    const std::string_view node = path.substr(0, path.find('#'));
    if (node.size() <= dev_root_.size() + 1 || node.substr(0, dev_root_.size()) != dev_root_ ||
        node[dev_root_.size()] != '/') {
        return std::nullopt;
    }
    const std::string_view name = node.substr(dev_root_.size() + 1);
    if (!NodeNumber(name)) {
        return std::nullopt;
    }
    return std::string(name);
}

std::optional<HidOpenedPath> HidrawBackend::Open(std::string_view path,
                                                 const HidOpenOptions& options) {
    const std::optional<std::string> name = NodeName(path);
    if (!name) {
        return std::nullopt;
    }
    std::optional<NodeInfo> info = ReadNode(*name, true);
    // A node number reused by another device since the path was listed no longer matches.
    if (!info || info->attributes.vendor_id != ParseVendorId(path) ||
        info->attributes.product_id != ParseProductId(path)) {
        return std::nullopt;
    }
    const auto descriptor = HidReportDescriptor::Parse(info->report_descriptor);
    if (!descriptor || descriptor->collections.empty()) {
        return std::nullopt;
    }
    const std::size_t count = descriptor->collections.size();
    const std::size_t number = ParseCollectionNumber(path);
    if (count == 1 ? number != 0 : (number == 0 || number > count)) {
        return std::nullopt;
    }
    const std::size_t index = count == 1 ? 0 : number - 1;

    std::bitset<256> report_ids;
    for (std::uint8_t id :
         descriptor->collections[index].Reports(HidReportType::kInput).report_ids) {
        report_ids.set(id);
    }

    UniqueFd node;
    UniqueFd abort;
    if (options.read || options.write) {
        const int access = options.read && options.write ? O_RDWR
                           : options.read                ? O_RDONLY
                                                         : O_WRONLY;
        node = UniqueFd(opener_(dev_root_ + "/" + *name, access | O_NONBLOCK | O_CLOEXEC));
        if (!node.Valid()) {
            return std::nullopt;
        }
    }
    abort = UniqueFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!abort.Valid()) {
        return std::nullopt;
    }

    HidOpenedPath opened;
    opened.handle = std::make_unique<HidrawHandle>(std::move(node), std::move(abort), options,
                                                   descriptor->uses_report_ids, report_ids);
    opened.attributes = info->attributes;
    opened.report_descriptor = std::move(info->report_descriptor);
    opened.collection_index = index;
    return opened;
}

bool HidrawBackend::PathExists(std::string_view path) {
    const std::optional<std::string> name = NodeName(path);
    if (!name) {
        return false;
    }
    struct stat status {};
    if (::stat((dev_root_ + "/" + *name).c_str(), &status) != 0 ||
        ::stat(EntryPath(*name).c_str(), &status) != 0) {
        return false;
    }
    const std::optional<NodeInfo> info = ReadNode(*name, false);
    return info && info->attributes.vendor_id == ParseVendorId(path) &&
           info->attributes.product_id == ParseProductId(path);
}

}  // namespace calvorn::hid
