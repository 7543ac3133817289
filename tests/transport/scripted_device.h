#pragma once

// A device that follows a script: each step names the request frame the host must send next
// and the reports the device answers it with. A frame that differs from the script, or comes
// after its end, is recorded as a failure and answered with nothing; steps left over show in
// Remaining(). Used where the exact order and bytes of frames matter.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "hid/virtual_hid.h"
#include "sim/sim_keyboard.h"
#include "transport/report_protocol.h"

namespace calvorn::transport {

class ScriptedDevice final : public hid::VirtualHidDevice {
public:
    using Report = std::vector<std::uint8_t>;

    void Expect(const Frame& request, std::vector<Report> replies) {
        std::lock_guard lock(mutex_);
        steps_.push_back({request, std::move(replies)});
    }

    std::vector<std::string> Failures() const {
        std::lock_guard lock(mutex_);
        return failures_;
    }
    std::size_t Remaining() const {
        std::lock_guard lock(mutex_);
        return steps_.size();
    }

    std::uint16_t VendorId() const override { return 0x3299; }
    std::uint16_t ProductId() const override { return 0x4E93; }
    std::uint16_t VersionNumber() const override { return 260; }
    std::vector<hid::VirtualCollection> Collections() const override {
        return {
            {sim::kKeyboardInterface, sim::kVendorCollection, sim::VendorCollectionDescriptor()}};
    }
    void Connect(hid::VirtualHidPort* port) override {
        std::lock_guard lock(mutex_);
        port_ = port;
    }
    bool OnOutputReport(std::uint8_t collection, std::span<const std::uint8_t> report) override {
        std::lock_guard lock(mutex_);
        const Report got(report.begin(), report.end());
        if (steps_.empty()) {
            failures_.push_back("frame after the end of the script: " + Hex(got));
            return true;
        }
        const Step step = steps_.front();
        steps_.pop_front();
        if (got != Report(step.request.begin(), step.request.end())) {
            failures_.push_back("expected " +
                                Hex(Report(step.request.begin(), step.request.end())) +
                                "\n     got " + Hex(got));
            return true;
        }
        for (const Report& reply : step.replies) {
            if (port_ != nullptr) {
                port_->PushInput(collection, reply);
            }
        }
        return true;
    }

private:
    struct Step {
        Frame request;
        std::vector<Report> replies;
    };

    static std::string Hex(const Report& bytes) {
        std::ostringstream text;
        text << std::hex;
        for (std::uint8_t b : bytes) {
            text << (b < 16 ? "0" : "") << int(b) << ' ';
        }
        return text.str();
    }

    mutable std::mutex mutex_;
    std::deque<Step> steps_;
    std::vector<std::string> failures_;
    hid::VirtualHidPort* port_ = nullptr;
};

}  // namespace calvorn::transport
