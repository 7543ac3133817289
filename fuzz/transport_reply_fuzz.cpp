// Reply handling of CReportTransport against a device that answers with the fuzzer's bytes:
// replies of any length (short, long, empty of a status byte), naming any command, carrying
// any status, and writes the device refuses. The operations and their arguments come from
// the same input. Every result must be one of the transport's result codes, and nothing may
// be read or written outside the caller's buffers.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "hid/virtual_hid_backend.h"
#include "sim/sim_keyboard.h"
#include "transport/report_transport.h"

namespace {

using namespace calvorn;
using transport::CReportTransport;

// Answers every request with two reports taken from the input, so that neither the first
// read nor a re-read ever waits for its timeout; unread reports stay queued and meet later
// exchanges, as stray replies do. Once the input is used up it answers properly.
class FuzzDevice final : public hid::VirtualHidDevice {
public:
    explicit FuzzDevice(FuzzedDataProvider& data) : data_(data) {}

    std::uint16_t VendorId() const override { return 0x3299; }
    std::uint16_t ProductId() const override { return 0x4E93; }
    std::uint16_t VersionNumber() const override { return 260; }
    std::vector<hid::VirtualCollection> Collections() const override {
        return {
            {sim::kKeyboardInterface, sim::kVendorCollection, sim::VendorCollectionDescriptor()}};
    }
    void Connect(hid::VirtualHidPort* port) override { port_ = port; }

    bool OnOutputReport(std::uint8_t collection, std::span<const std::uint8_t> report) override {
        transport::Frame request{};
        std::copy_n(report.begin(), std::min(report.size(), request.size()), request.begin());
        for (int i = 0; i < 2; ++i) {
            const std::vector<std::uint8_t> reply = NextReply(request);
            if (port_ != nullptr) {
                port_->PushInput(collection, reply);
            }
        }
        return data_.remaining_bytes() == 0 || data_.ConsumeIntegral<std::uint8_t>() != 0xEE;
    }

private:
    std::vector<std::uint8_t> NextReply(const transport::Frame& request) {
        if (data_.remaining_bytes() == 0) {
            const transport::Frame reply = transport::MakeReply(request, transport::kStatusOk);
            return {reply.begin(), reply.end()};
        }
        // Mostly well-formed frames with fuzzed fields, sometimes raw bytes of any length.
        if (data_.ConsumeBool()) {
            transport::Frame reply =
                transport::MakeReply(request, data_.ConsumeIntegral<std::uint8_t>());
            if (data_.ConsumeBool()) {
                reply[transport::kCommandByte] = data_.ConsumeIntegral<std::uint8_t>();
            }
            const std::vector<std::uint8_t> payload = data_.ConsumeBytes<std::uint8_t>(56);
            std::copy(payload.begin(), payload.end(), reply.begin() + transport::kPayloadByte);
            return {reply.begin(), reply.end()};
        }
        const std::size_t length = data_.ConsumeIntegralInRange<std::size_t>(1, 80);
        std::vector<std::uint8_t> reply = data_.ConsumeBytes<std::uint8_t>(length);
        reply.resize(length, 0);
        return reply;
    }

    FuzzedDataProvider& data_;
    hid::VirtualHidPort* port_ = nullptr;
};

bool IsResultCode(int result) {
    switch (result) {
        case transport::RESULT_OK:
        case transport::RESULT_NOT_SENT:
        case transport::RESULT_WRITE_FAILED:
        case transport::RESULT_STATUS_FF:
        case transport::RESULT_STATUS_FE:
        case transport::RESULT_BAD_BLOCK:
            return true;
        default:
            return false;
    }
}

void Check(int result) {
    if (!IsResultCode(result)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    hid::VirtualHidBackend backend;
    auto device = std::make_shared<FuzzDevice>(data);
    const std::uint32_t id = backend.Plug(device);
    CReportTransport channel(backend);
    if (!channel.Open(backend.PathsOf(id).at(0))) {
        std::abort();
    }

    // Buffers are exactly as long as each operation may use, so that any access beyond them
    // is caught.
    for (int step = 0; step < 12 && data.remaining_bytes() > 0; ++step) {
        const std::size_t length = data.ConsumeIntegralInRange<std::size_t>(0, 600);
        const std::size_t offset = data.ConsumeIntegralInRange<std::size_t>(0, 70000);
        std::vector<std::uint8_t> buffer(length, 0x5A);
        switch (data.ConsumeIntegralInRange(0, 13)) {
            case 0:
                Check(channel.BeginSession());
                break;
            case 1: {
                std::array<std::uint8_t, transport::kDeviceInfoSize> info{};
                info.fill(0xA5);
                const int result = channel.ReadDeviceInfo(info);
                Check(result);
                if (result != transport::RESULT_OK) {
                    for (std::uint8_t b : info) {
                        if (b != 0xA5) {
                            std::abort();  // the block changes only on success
                        }
                    }
                }
                break;
            }
            case 2:
                Check(channel.ReadParams(buffer, offset));
                break;
            case 3:
                Check(channel.WriteParams(buffer, offset));
                break;
            case 4: {
                channel.SetBlockSize(static_cast<unsigned>(length));
                std::vector<std::uint8_t> table(channel.BlockSize());
                Check(channel.ReadKeyTable(table));
                break;
            }
            case 5: {
                std::vector<std::uint8_t> table(channel.BlockSize());
                Check(channel.WriteKeyTable(table, data.ConsumeIntegralInRange(-1, 1)));
                break;
            }
            case 6:
                Check(channel.WriteCustomLight(buffer, data.ConsumeIntegralInRange(0u, 200u),
                                               data.ConsumeIntegralInRange(0u, 1024u)));
                break;
            case 7:
                Check(channel.StreamLightFrame(buffer));
                break;
            case 8:
                Check(channel.WriteMacroData(buffer));
                break;
            case 9:
                Check(channel.WriteRecoilData(buffer));
                break;
            case 10:
                buffer.resize(length % 64);
                Check(channel.ReadParamWindow(buffer, offset));
                break;
            case 11: {
                std::vector<std::uint8_t> leds(channel.BlockSize() / 3);
                Check(channel.ReadKeyBytes(leds));
                break;
            }
            case 12:
                Check(channel.SendLightControl());
                break;
            case 13:
                channel.QueryLink();
                break;
        }
        if (channel.IsBusy()) {
            std::abort();  // every exchange clears it on the way out
        }
        channel.SetLongTimeout(data.ConsumeBool());
    }
    return 0;
}
