// Feeds arbitrary bytes to the report-descriptor parser, and when they parse, opens every
// top-level collection through CHidDevice and decodes the rest of the input as an input
// report, so that hostile descriptors also reach item building and decoding.
//
// Input: 2 bytes little-endian descriptor length, the descriptor, then the report.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "hid/hid_backend.h"
#include "hid/hid_device.h"
#include "hid/report_descriptor.h"

namespace {

using namespace calvorn::hid;

class NullHandle final : public HidBackendHandle {
public:
    HidTransferStatus ReadReport(std::vector<std::uint8_t>&, int) override {
        return HidTransferStatus::kFailed;
    }
    HidTransferStatus WriteReport(std::span<const std::uint8_t>, int) override {
        return HidTransferStatus::kFailed;
    }
    bool SetOutputReport(std::span<const std::uint8_t>) override { return false; }
    void Abort() override {}
};

class OneDescriptorBackend final : public HidBackend {
public:
    OneDescriptorBackend(std::span<const std::uint8_t> descriptor, std::size_t index)
        : descriptor_(descriptor.begin(), descriptor.end()), index_(index) {}
    std::optional<std::vector<std::string>> EnumeratePaths() override {
        return std::vector<std::string>{"fuzz"};
    }
    std::optional<HidOpenedPath> Open(std::string_view, const HidOpenOptions&) override {
        HidOpenedPath opened;
        opened.handle = std::make_unique<NullHandle>();
        opened.report_descriptor = descriptor_;
        opened.collection_index = index_;
        return opened;
    }
    bool PathExists(std::string_view) override { return true; }

private:
    std::vector<std::uint8_t> descriptor_;
    std::size_t index_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::size_t length = std::min<std::size_t>(data[0] | (data[1] << 8), size - 2);
    const std::span<const std::uint8_t> descriptor(data + 2, length);
    const std::span<const std::uint8_t> report(data + 2 + length, size - 2 - length);

    const std::optional<HidReportDescriptor> parsed = HidReportDescriptor::Parse(descriptor);
    if (!parsed) {
        return 0;
    }
    for (std::size_t i = 0; i < parsed->collections.size() && i < 8; ++i) {
        OneDescriptorBackend backend(descriptor, i);
        CHidDevice device(backend);
        if (device.OpenHidDevice("fuzz", true, false, true, false)) {
            device.DecodeInputReport(report.data(), report.size());
        }
    }
    return 0;
}
