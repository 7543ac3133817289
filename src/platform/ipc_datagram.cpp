#include "platform/ipc_datagram.h"

#include <algorithm>
#include <cstring>

namespace calvorn::platform {

static_assert(sizeof(WParam) <= 8 && sizeof(LParam) <= 8, "wParam and lParam travel as 64 bits");

namespace {

constexpr std::uint8_t kMagic[4] = {'C', 'V', 'I', 'P'};

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

std::uint64_t GetLittleEndian(std::span<const std::uint8_t> bytes, std::size_t offset, int count) {
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = (value << 8) | bytes[offset + static_cast<std::size_t>(i)];
    }
    return value;
}

std::optional<IpcDatagram> Fail(const char** reason, const char* why) {
    if (reason != nullptr) {
        *reason = why;
    }
    return std::nullopt;
}

}  // namespace

bool IsValidIpcMessageName(std::string_view name) {
    return !name.empty() && name.size() <= kIpcMaxNameBytes &&
           std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

std::optional<std::vector<std::uint8_t>> EncodeIpcDatagram(const IpcDatagram& datagram) {
    if (!IsValidIpcMessageName(datagram.name) || datagram.payload.size() > kIpcMaxPayloadBytes) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> out;
    out.reserve(kIpcHeaderBytes + datagram.name.size() + datagram.payload.size());
    out.insert(out.end(), std::begin(kMagic), std::end(kMagic));
    out.push_back(kIpcVersion);
    out.push_back(static_cast<std::uint8_t>(datagram.name.size()));
    PutLittleEndian(out, datagram.payload.size(), 2);
    PutLittleEndian(out, static_cast<std::uint64_t>(datagram.wparam), 8);
    PutLittleEndian(out, static_cast<std::uint64_t>(datagram.lparam), 8);
    out.insert(out.end(), datagram.name.begin(), datagram.name.end());
    out.insert(out.end(), datagram.payload.begin(), datagram.payload.end());
    return out;
}

std::optional<IpcDatagram> DecodeIpcDatagram(std::span<const std::uint8_t> bytes,
                                             const char** reason) {
    if (bytes.size() < kIpcHeaderBytes) {
        return Fail(reason, "shorter than the header");
    }
    if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
        return Fail(reason, "bad magic");
    }
    if (bytes[4] != kIpcVersion) {
        return Fail(reason, "unknown version");
    }
    const std::size_t name_length = bytes[5];
    const std::size_t payload_length = GetLittleEndian(bytes, 6, 2);
    if (name_length == 0) {
        return Fail(reason, "empty name");
    }
    if (payload_length > kIpcMaxPayloadBytes) {
        return Fail(reason, "payload too large");
    }
    if (bytes.size() != kIpcHeaderBytes + name_length + payload_length) {
        return Fail(reason, "length fields disagree with the datagram size");
    }
    IpcDatagram datagram;
    datagram.wparam = static_cast<WParam>(GetLittleEndian(bytes, 8, 8));
    datagram.lparam = static_cast<LParam>(GetLittleEndian(bytes, 16, 8));
    const auto name = bytes.subspan(kIpcHeaderBytes, name_length);
    datagram.name.assign(name.begin(), name.end());
    if (!IsValidIpcMessageName(datagram.name)) {
        return Fail(reason, "name is not printable ASCII");
    }
    const auto payload = bytes.subspan(kIpcHeaderBytes + name_length);
    datagram.payload.assign(payload.begin(), payload.end());
    return datagram;
}

}  // namespace calvorn::platform
