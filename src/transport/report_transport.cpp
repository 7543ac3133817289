#include "transport/report_transport.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/trace.h"

namespace calvorn::transport {
namespace {

constexpr std::string_view kTraceRequest = "命令";
constexpr std::string_view kTraceReply = "返回";
constexpr std::string_view kTraceLightDropped = "放弃灯光数据";
constexpr auto kEndSessionDelay = std::chrono::milliseconds(10);
// Offsets are 16 bits on the wire; a transfer must end within them.
constexpr std::size_t kOffsetLimit = 0x10000;

// Traces a title line and the 64 bytes of `frame` in two lines of 32.
void TraceFrame(std::string_view title, std::span<const std::uint8_t, kReportSize> frame) {
    platform::Trace(title);
    platform::Trace(FormatTraceBytes(frame.first<32>()));
    platform::Trace(FormatTraceBytes(frame.last<32>()));
}

// Clears the busy flag when an exchange leaves by any path.
class BusyScope {
public:
    explicit BusyScope(std::atomic<bool>& busy) : busy_(busy) { busy_.store(true); }
    ~BusyScope() { busy_.store(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    std::atomic<bool>& busy_;
};

}  // namespace

std::string FormatTraceBytes(std::span<const std::uint8_t, 32> bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string line;
    line.reserve(32 * 3 + 8);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            if (i % 4 != 0) {
                line += ' ';
            } else {
                line += i <= 12 ? "   " : "  ";
            }
        }
        line += kHex[bytes[i] >> 4];
        line += kHex[bytes[i] & 0x0F];
    }
    return line;
}

CReportTransport::CReportTransport(hid::HidBackend& backend) : device_(backend) {}

CReportTransport::~CReportTransport() = default;

bool CReportTransport::Open(std::string_view path) {
    std::lock_guard io(io_lock_);
    const bool opened = device_.OpenHidDevice(path, true, true, true, false);
    open_.store(opened);
    return opened;
}

void CReportTransport::Close() {
    open_.store(false);
    device_.CloseHidDevice();
}

bool CReportTransport::SetBlockSize(unsigned size) {
    if (size > kMaxBlockSize) {
        return false;
    }
    block_size_.store(static_cast<std::uint16_t>(size));
    return true;
}

int CReportTransport::ExchangeReport(std::span<const std::uint8_t> request,
                                     std::span<std::uint8_t> reply, std::size_t* bytes_read) {
    BusyScope busy(busy_);
    return Exchange(request, reply, bytes_read, false);
}

int CReportTransport::ExchangeReportQuick(std::span<const std::uint8_t> request,
                                          std::span<std::uint8_t> reply, std::size_t* bytes_read) {
    return Exchange(request, reply, bytes_read, true);
}

int CReportTransport::Exchange(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply,
                               std::size_t* bytes_read, bool quick) {
    if (bytes_read != nullptr) {
        *bytes_read = 0;
    }
    if (!open_.load()) {
        return RESULT_NOT_SENT;
    }
    Frame frame{};
    std::copy_n(request.begin(), std::min(request.size(), kReportSize), frame.begin());
    if (!quick) {
        TraceFrame(kTraceRequest, frame);
    }
    const int timeout = !quick && long_timeout_.load() ? kLongTimeoutMs : kTimeoutMs;
    {
        std::lock_guard io(io_lock_);
        if (!device_.WriteHidReport(frame.data(), frame.size(), timeout).ok) {
            return RESULT_WRITE_FAILED;
        }
    }

    // A reply must at least reach its status byte (or fill a shorter buffer); anything less
    // is treated as a failed read. The buffer is cleared before every read so that nothing of
    // an earlier reply can pass for this one.
    const std::size_t needed = std::min(reply.size(), kPayloadByte);
    const auto read_once = [&] {
        std::fill(reply.begin(), reply.end(), std::uint8_t{0});
        hid::CHidDevice::Transfer read = device_.ReadHidReport(reply.data(), reply.size(), timeout);
        if (read.ok && read.bytes < needed) {
            read.ok = false;
        }
        return read;
    };
    hid::CHidDevice::Transfer read;
    {
        std::lock_guard io(io_lock_);
        read = read_once();
        if (!quick && read.ok && reply.size() > kCommandByte &&
            reply[kCommandByte] != frame[kCommandByte]) {
            read = read_once();
        }
    }
    if (read.ok && bytes_read != nullptr) {
        *bytes_read = read.bytes;
    }
    if (!quick) {
        Frame traced{};
        std::copy_n(reply.begin(), std::min(reply.size(), kReportSize), traced.begin());
        TraceFrame(kTraceReply, traced);
    }
    return read.ok ? RESULT_OK : RESULT_NOT_SENT;
}

std::unique_lock<std::mutex> CReportTransport::Hold(LockKind kind) {
    switch (kind) {
        case LockKind::kCommand:
            return std::unique_lock(command_lock_);
        case LockKind::kLight:
            return std::unique_lock(light_lock_);
        case LockKind::kNone:
            break;
    }
    return {};
}

int CReportTransport::Transfer(std::uint8_t command, Mode mode, LockKind lock,
                               std::uint8_t* read_data, const std::uint8_t* write_data,
                               std::size_t total, std::size_t base) {
    if (total == 0) {
        return RESULT_OK;
    }
    if (base >= kOffsetLimit || total > kOffsetLimit - base) {
        return RESULT_NOT_SENT;  // would wrap the 16-bit offset and hit the wrong memory
    }
    // The frame is cleared once: in the last, shorter chunk of a write the payload beyond the
    // chunk still holds the previous chunk's bytes, and the checksum covers them.
    Frame request = MakeRequest(command);
    Frame reply{};
    for (std::size_t position = 0; position < total; position += kChunkSize) {
        const std::size_t length = ChunkLength(position, total, kChunkSize);
        SetChunkHeader(request, static_cast<std::uint8_t>(length),
                       static_cast<std::uint16_t>(base + position));
        if (mode != Mode::kRead) {
            std::copy_n(write_data + position, length, request.begin() + kPayloadByte);
        }
        SealFrame(request);

        std::size_t bytes = 0;
        int result = RESULT_OK;
        {
            auto held = Hold(lock);
            if (mode == Mode::kStream) {
                if (long_timeout_.load()) {
                    continue;
                }
                if (busy_.load()) {
                    platform::Trace(kTraceLightDropped);
                    continue;
                }
                result = ExchangeReportQuick(request, reply, &bytes);
            } else {
                result = ExchangeReport(request, reply, &bytes);
            }
        }
        if (result != RESULT_OK) {
            return result;
        }
        const int status = StatusResult(FrameStatus(reply));
        if (status != RESULT_OK) {
            return status;
        }
        if (mode == Mode::kRead) {
            if (bytes < kPayloadByte + length) {
                return RESULT_NOT_SENT;  // the reply stopped short of this chunk's data
            }
            std::copy_n(reply.begin() + kPayloadByte, length, read_data + position);
        }
    }
    return RESULT_OK;
}

int CReportTransport::SingleFrame(std::uint8_t command, std::uint8_t length, std::uint16_t offset,
                                  Frame& reply, std::size_t* bytes_read) {
    Frame request = MakeRequest(command);
    SetChunkHeader(request, length, offset);
    SealFrame(request);
    int result = RESULT_OK;
    {
        auto held = Hold(LockKind::kCommand);
        result = ExchangeReport(request, reply, bytes_read);
    }
    if (result != RESULT_OK) {
        return result;
    }
    return StatusResult(FrameStatus(reply));
}

int CReportTransport::BeginSession() {
    Frame reply{};
    return SingleFrame(CMD_BEGIN, 0, 0, reply);
}

int CReportTransport::EndSession(int /*flag*/) {
    std::this_thread::sleep_for(kEndSessionDelay);
    Frame reply{};
    return SingleFrame(CMD_END, 0, 0, reply);
}

int CReportTransport::ReadDeviceInfo(std::span<std::uint8_t, kDeviceInfoSize> block) {
    std::array<std::uint8_t, kDeviceInfoSize> read{};
    const int result = Transfer(CMD_READ_INFO, Mode::kRead, LockKind::kCommand, read.data(),
                                nullptr, read.size(), 0);
    if (result == RESULT_OK) {
        std::copy(read.begin(), read.end(), block.begin());
    }
    return result;
}

int CReportTransport::ReadParams(std::span<std::uint8_t> buffer, std::size_t offset) {
    return Transfer(CMD_READ_PARAMS, Mode::kRead, LockKind::kCommand, buffer.data(), nullptr,
                    buffer.size(), offset);
}

int CReportTransport::WriteParams(std::span<const std::uint8_t> buffer, std::size_t offset) {
    return Transfer(CMD_WRITE_PARAMS, Mode::kWrite, LockKind::kCommand, nullptr, buffer.data(),
                    buffer.size(), offset);
}

int CReportTransport::ReadKeyTable(std::span<std::uint8_t> buffer) {
    const std::size_t total = block_size_.load();
    if (buffer.size() < total) {
        return RESULT_NOT_SENT;
    }
    return Transfer(CMD_READ_KEY_TABLE, Mode::kRead, LockKind::kCommand, buffer.data(), nullptr,
                    total, 0);
}

int CReportTransport::WriteKeyTable(std::span<const std::uint8_t> buffer, int block_index) {
    if (block_index != 0) {
        return RESULT_BAD_BLOCK;
    }
    const std::size_t total = block_size_.load();
    if (buffer.size() < total) {
        return RESULT_NOT_SENT;
    }
    // With block index 0 the offset of each chunk is its position in the block.
    return Transfer(CMD_WRITE_KEY_TABLE, Mode::kWrite, LockKind::kCommand, nullptr, buffer.data(),
                    total, 0);
}

int CReportTransport::WriteCustomLight(std::span<const std::uint8_t> buffer, unsigned slot,
                                       unsigned stride) {
    const std::size_t base = static_cast<std::size_t>(slot) * stride;
    return Transfer(CMD_WRITE_CUSTOM_LIGHT, Mode::kWrite, LockKind::kLight, nullptr, buffer.data(),
                    buffer.size(), base);
}

int CReportTransport::StreamLightFrame(std::span<const std::uint8_t> buffer) {
    return Transfer(CMD_STREAM_LIGHT, Mode::kStream, LockKind::kLight, nullptr, buffer.data(),
                    buffer.size(), 0);
}

int CReportTransport::WriteMacroData(std::span<const std::uint8_t> buffer) {
    return Transfer(CMD_WRITE_MACROS, Mode::kWrite, LockKind::kCommand, nullptr, buffer.data(),
                    buffer.size(), 0);
}

int CReportTransport::WriteRecoilData(std::span<const std::uint8_t> buffer) {
    return Transfer(CMD_WRITE_RECOIL, Mode::kWrite, LockKind::kNone, nullptr, buffer.data(),
                    buffer.size(), 0);
}

int CReportTransport::ReadParamWindow(std::span<std::uint8_t> buffer, std::size_t offset) {
    if (buffer.size() > kChunkSize || offset >= kOffsetLimit) {
        return RESULT_NOT_SENT;  // one frame carries at most 56 bytes
    }
    Frame reply{};
    std::size_t bytes = 0;
    const int result = SingleFrame(CMD_READ_PARAM_WINDOW, static_cast<std::uint8_t>(buffer.size()),
                                   static_cast<std::uint16_t>(offset), reply, &bytes);
    if (result != RESULT_OK) {
        return result;
    }
    if (bytes < kPayloadByte + buffer.size()) {
        return RESULT_NOT_SENT;
    }
    std::copy_n(reply.begin() + kPayloadByte, buffer.size(), buffer.begin());
    return RESULT_OK;
}

int CReportTransport::ReadKeyBytes(std::span<std::uint8_t> buffer) {
    const std::size_t total = block_size_.load() / 3;
    if (buffer.size() < total) {
        return RESULT_NOT_SENT;
    }
    return Transfer(CMD_READ_KEY_BYTES, Mode::kRead, LockKind::kCommand, buffer.data(), nullptr,
                    total, 0);
}

int CReportTransport::SendLightControl() {
    Frame reply{};
    return SingleFrame(CMD_LIGHT_CONTROL, 0, 0, reply);
}

bool CReportTransport::QueryLink() {
    Frame reply{};
    std::size_t bytes = 0;
    return SingleFrame(CMD_QUERY_LINK, 0, 0, reply, &bytes) == RESULT_OK && bytes > kPayloadByte &&
           reply[kPayloadByte] == kLinkUp;
}

}  // namespace calvorn::transport
