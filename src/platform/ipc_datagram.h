#pragma once

// The wire format of the local IPC datagrams (docs/ipc.md): one message
// {name, wParam, lParam, payload} per Unix datagram.
//
//   offset  size  field
//   0       4     magic "CVIP"
//   4       1     version, 1
//   5       1     name length N, 1..255
//   6       2     payload length P, 0..8192, little-endian
//   8       8     wParam, unsigned, little-endian
//   16      8     lParam, signed two's complement, little-endian
//   24      N     name, printable ASCII (0x20..0x7E), no terminator
//   24+N    P     payload
//
// A datagram is exactly 24 + N + P bytes long. Encoding and decoding are pure functions, so the
// decoder can be fuzzed and tested without sockets.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui_loop.h"

namespace calvorn::platform {

inline constexpr std::uint8_t kIpcVersion = 1;
inline constexpr std::size_t kIpcHeaderBytes = 24;
inline constexpr std::size_t kIpcMaxNameBytes = 255;
inline constexpr std::size_t kIpcMaxPayloadBytes = 8192;
inline constexpr std::size_t kIpcMaxDatagramBytes =
    kIpcHeaderBytes + kIpcMaxNameBytes + kIpcMaxPayloadBytes;

struct IpcDatagram {
    std::string name;
    WParam wparam = 0;
    LParam lparam = 0;
    std::vector<std::uint8_t> payload;

    bool operator==(const IpcDatagram&) const = default;
};

// 1 to 255 printable ASCII characters.
bool IsValidIpcMessageName(std::string_view name);

// The datagram bytes, or empty when the name is not valid or the payload is too large.
std::optional<std::vector<std::uint8_t>> EncodeIpcDatagram(const IpcDatagram& datagram);

// The message in `bytes`, or empty when they are not exactly one well-formed datagram. On
// failure `*reason` (when given) names what was wrong, for a trace line.
std::optional<IpcDatagram> DecodeIpcDatagram(std::span<const std::uint8_t> bytes,
                                             const char** reason = nullptr);

}  // namespace calvorn::platform
