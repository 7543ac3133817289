#pragma once

// The 64-byte report protocol on a keyboard's vendor collection, as pure functions over frames.
// Both ends use them: CReportTransport builds requests and judges replies with them, and the
// simulated keyboard in sim/ checks requests and builds replies with them.
//
// Request frame:  [0] report ID 4  [1..2] checksum (low, high)  [3] command
//                 [4] chunk length  [5..6] offset (low, high)  [7] 0  [8..63] payload
// Reply frame:    [3] command echoed  [7] status  [8..63] payload
// The checksum is the sum of bytes 3..63 as an unsigned number, kept to 16 bits.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace calvorn::transport {

inline constexpr std::size_t kReportSize = 64;
inline constexpr std::uint8_t kReportId = 4;
inline constexpr std::size_t kChunkSize = 56;  // payload bytes per frame

// Byte positions inside a frame.
inline constexpr std::size_t kReportIdByte = 0;
inline constexpr std::size_t kChecksumLowByte = 1;
inline constexpr std::size_t kChecksumHighByte = 2;
inline constexpr std::size_t kCommandByte = 3;
inline constexpr std::size_t kLengthByte = 4;
inline constexpr std::size_t kOffsetLowByte = 5;
inline constexpr std::size_t kOffsetHighByte = 6;
inline constexpr std::size_t kStatusByte = 7;
inline constexpr std::size_t kPayloadByte = 8;

// Command codes.
inline constexpr std::uint8_t CMD_BEGIN = 0x01;
inline constexpr std::uint8_t CMD_END = 0x02;
inline constexpr std::uint8_t CMD_READ_INFO = 0x03;
inline constexpr std::uint8_t CMD_READ_PARAMS = 0x05;
inline constexpr std::uint8_t CMD_WRITE_PARAMS = 0x06;
inline constexpr std::uint8_t CMD_READ_KEY_TABLE = 0x07;
inline constexpr std::uint8_t CMD_WRITE_KEY_TABLE = 0x09;
inline constexpr std::uint8_t CMD_WRITE_CUSTOM_LIGHT = 0x0B;
inline constexpr std::uint8_t CMD_STREAM_LIGHT = 0x12;
inline constexpr std::uint8_t CMD_WRITE_MACROS = 0x15;
inline constexpr std::uint8_t CMD_WRITE_RECOIL = 0x17;
inline constexpr std::uint8_t CMD_READ_PARAM_WINDOW = 0x1A;
inline constexpr std::uint8_t CMD_READ_KEY_BYTES = 0x1B;
inline constexpr std::uint8_t CMD_LIGHT_CONTROL = 0x1C;
inline constexpr std::uint8_t CMD_QUERY_LINK = 0xAA;

// Reply status bytes. Every value other than the two errors means success.
inline constexpr std::uint8_t kStatusOk = 0x00;
inline constexpr std::uint8_t kStatusErrorFF = 0xFF;
inline constexpr std::uint8_t kStatusErrorFE = 0xFE;

// Reply byte 8 of a link query when the link is up.
inline constexpr std::uint8_t kLinkUp = 0xFF;

// Result codes of the transport's operations. Callers test for RESULT_OK only.
inline constexpr int RESULT_OK = 1;
inline constexpr int RESULT_NOT_SENT = 0;
inline constexpr int RESULT_WRITE_FAILED = -1;
inline constexpr int RESULT_STATUS_FF = -102;
inline constexpr int RESULT_STATUS_FE = -103;
inline constexpr int RESULT_BAD_BLOCK = -201;

using Frame = std::array<std::uint8_t, kReportSize>;

// Sum of bytes 3..63, kept to 16 bits.
std::uint16_t FrameChecksum(std::span<const std::uint8_t, kReportSize> frame);
// Stores FrameChecksum into bytes 1 (low) and 2 (high).
void SealFrame(std::span<std::uint8_t, kReportSize> frame);
// True when bytes 1..2 hold the checksum of bytes 3..63.
bool ChecksumMatches(std::span<const std::uint8_t, kReportSize> frame);

// A cleared request frame for `command`: report ID, command, everything else 0.
Frame MakeRequest(std::uint8_t command);
// Sets the chunk length (byte 4) and the offset (bytes 5..6) of a request.
void SetChunkHeader(std::span<std::uint8_t, kReportSize> frame, std::uint8_t length,
                    std::uint16_t offset);

std::uint8_t FrameCommand(std::span<const std::uint8_t, kReportSize> frame);
std::uint8_t FrameLength(std::span<const std::uint8_t, kReportSize> frame);
std::uint16_t FrameOffset(std::span<const std::uint8_t, kReportSize> frame);
std::uint8_t FrameStatus(std::span<const std::uint8_t, kReportSize> frame);

// A sealed reply to `request`: report ID, the request's command, chunk length and offset
// echoed, `status` in byte 7, payload 0 (the caller fills it and seals again).
Frame MakeReply(std::span<const std::uint8_t, kReportSize> request, std::uint8_t status);

// Maps a reply status byte to RESULT_OK, RESULT_STATUS_FF or RESULT_STATUS_FE.
int StatusResult(std::uint8_t status);

// Length of the chunk that starts at `position` of an `total`-byte transfer.
std::size_t ChunkLength(std::size_t position, std::size_t total, std::size_t chunk_size);

}  // namespace calvorn::transport
