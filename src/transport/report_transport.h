#pragma once

// `CReportTransport`: one 64-byte report channel to a device's vendor collection (or, for the
// secondary channel, its consumer collection). It builds request frames, splits long
// transfers into 56-byte chunks, matches each reply to its request, maps reply status bytes
// to result codes and keeps threads apart with three locks:
//   io lock      - around each single report write and around each reply-read loop; the
//                  owner also holds it while opening the channel;
//   command lock - around each chunk's exchange of the configuration commands;
//   light lock   - around each chunk's exchange of the two light commands.
// Lock order: command or light lock first, then the io lock, which is never held while
// waiting for the other two. The io lock is released between a write and its reads, so one
// reply of another exchange can fall in between; a reply naming another command is read past
// once.
//
// Every operation returns a result code of report_protocol.h; callers test for RESULT_OK.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include "hid/hid_backend.h"
#include "hid/hid_device.h"
#include "transport/report_protocol.h"

namespace calvorn::transport {

inline constexpr std::size_t kDeviceInfoSize = 34;
inline constexpr std::uint16_t kMaxBlockSize = 512;
inline constexpr int kTimeoutMs = 1000;
inline constexpr int kLongTimeoutMs = 5000;

class CReportTransport {
public:
    // Constructed closed: block size 512, all flags clear. The backend must outlive it.
    explicit CReportTransport(hid::HidBackend& backend);
    ~CReportTransport();
    CReportTransport(const CReportTransport&) = delete;
    CReportTransport& operator=(const CReportTransport&) = delete;

    hid::CHidDevice& Device() { return device_; }
    std::mutex& IoLock() { return io_lock_; }

    // Opens the channel as its owner does: under the io lock, opens `path` for reading and
    // writing and sets the open flag on success.
    bool Open(std::string_view path);
    // Clears the open flag and closes the device, which releases a read blocked in an
    // exchange at once. Does not take the io lock (that read holds it); a secondary channel's
    // owner takes it around Close() itself.
    void Close();
    // The open flag alone, for owners that open the device themselves.
    void SetOpen(bool open) { open_.store(open); }
    bool IsOpen() const { return open_.load(); }

    // Total length of the key-table transfers. Values above 512 are refused.
    bool SetBlockSize(unsigned size);
    std::uint16_t BlockSize() const { return block_size_.load(); }

    bool IsBusy() const { return busy_.load(); }
    // Wireless links: 5000 ms timeouts for the exchanges, and no light streaming.
    void SetLongTimeout(bool on) { long_timeout_.store(on); }
    bool LongTimeout() const { return long_timeout_.load(); }
    // Not used here; the device's light thread pauses while it is set.
    void SetLightHold(bool on) { light_hold_.store(on); }
    bool LightHold() const { return light_hold_.load(); }

    // One request/reply exchange. The request is padded with zeros (or cut) to 64 bytes and
    // traced, written under the io lock, then under the io lock again one reply is read into
    // `reply`; a reply naming another command is read past once. RESULT_OK when the last read
    // delivered a reply, RESULT_NOT_SENT when the channel is closed or the read failed,
    // RESULT_WRITE_FAILED when the write failed. Sets the busy flag throughout.
    int ExchangeReport(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply,
                       std::size_t* bytes_read = nullptr);
    // The same without the busy flag and tracing, with 1000 ms timeouts and a single read.
    int ExchangeReportQuick(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply,
                            std::size_t* bytes_read = nullptr);

    int BeginSession();
    // Waits 10 ms, then ends the session. The flag is not used.
    int EndSession(int flag = 0);
    // Reads the 34-byte device information block; `block` changes only on success.
    int ReadDeviceInfo(std::span<std::uint8_t, kDeviceInfoSize> block);
    int ReadParams(std::span<std::uint8_t> buffer, std::size_t offset);
    int WriteParams(std::span<const std::uint8_t> buffer, std::size_t offset);
    // Reads BlockSize() bytes of the key table into the front of `buffer`.
    int ReadKeyTable(std::span<std::uint8_t> buffer);
    // Writes BlockSize() bytes from the front of `buffer`; a block index other than 0 gives
    // RESULT_BAD_BLOCK and sends nothing.
    int WriteKeyTable(std::span<const std::uint8_t> buffer, int block_index);
    // Writes `buffer` to offset slot × stride of the custom light memory.
    int WriteCustomLight(std::span<const std::uint8_t> buffer, unsigned slot, unsigned stride);
    // Streams one light frame. A chunk that would compete with a configuration exchange in
    // progress is dropped (and counted as sent); with the long-timeout flag nothing is sent.
    int StreamLightFrame(std::span<const std::uint8_t> buffer);
    int WriteMacroData(std::span<const std::uint8_t> buffer);
    // Takes no lock of its own.
    int WriteRecoilData(std::span<const std::uint8_t> buffer);
    // Reads up to 56 bytes at `offset` in a single frame (the power-status window).
    int ReadParamWindow(std::span<std::uint8_t> buffer, std::size_t offset);
    // Reads BlockSize() / 3 bytes (one per key position) into the front of `buffer`.
    int ReadKeyBytes(std::span<std::uint8_t> buffer);
    // Tells the device that the host drives its lights.
    int SendLightControl();
    // True when the device answers that its link is up.
    bool QueryLink();

private:
    enum class LockKind { kCommand, kLight, kNone };
    enum class Mode { kRead, kWrite, kStream };

    int Exchange(std::span<const std::uint8_t> request, std::span<std::uint8_t> reply,
                 std::size_t* bytes_read, bool quick);
    // Chunked transfer of `total` bytes at `base`: reads into `read_data` or writes from
    // `write_data`.
    int Transfer(std::uint8_t command, Mode mode, LockKind lock, std::uint8_t* read_data,
                 const std::uint8_t* write_data, std::size_t total, std::size_t base);
    // A single frame without payload; returns the status-mapped result and leaves the reply.
    int SingleFrame(std::uint8_t command, std::uint8_t length, std::uint16_t offset, Frame& reply,
                    std::size_t* bytes_read = nullptr);
    // Holds the lock of `kind` (nothing for kNone) while alive.
    std::unique_lock<std::mutex> Hold(LockKind kind);

    hid::CHidDevice device_;
    std::mutex io_lock_;
    std::mutex command_lock_;
    std::mutex light_lock_;

    std::atomic<std::uint16_t> block_size_{kMaxBlockSize};
    std::atomic<bool> busy_{false};
    std::atomic<bool> open_{false};
    std::atomic<bool> light_hold_{false};
    std::atomic<bool> long_timeout_{false};
};

// One trace line: 32 bytes as "%02x" in groups of four, three blanks between the first four
// groups and two between the later ones.
std::string FormatTraceBytes(std::span<const std::uint8_t, 32> bytes);

}  // namespace calvorn::transport
