// Feeds arbitrary bytes to the IPC datagram decoder. Whatever it accepts must encode back to
// exactly the same bytes, so the decoder cannot accept anything the format does not allow.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/ipc_datagram.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const char* reason = nullptr;
    const auto datagram = calvorn::platform::DecodeIpcDatagram(bytes, &reason);
    if (!datagram) {
        if (reason == nullptr) {
            std::abort();
        }
        return 0;
    }
    const auto encoded = calvorn::platform::EncodeIpcDatagram(*datagram);
    if (!encoded || !std::equal(encoded->begin(), encoded->end(), bytes.begin(), bytes.end())) {
        std::abort();
    }
    return 0;
}
