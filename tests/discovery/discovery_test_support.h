#pragma once

// A backend wrapper that counts what the scanner asks of the HID layer and can fail a listing.

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hid/hid_backend.h"

namespace calvorn::discovery::testing {

class CountingBackend final : public hid::HidBackend {
public:
    explicit CountingBackend(hid::HidBackend& inner) : inner_(inner) {}

    std::optional<std::vector<std::string>> EnumeratePaths() override {
        ++enumerations;
        if (failing_listings.load() > 0) {
            --failing_listings;
            return std::nullopt;
        }
        return inner_.EnumeratePaths();
    }
    std::optional<hid::HidOpenedPath> Open(std::string_view path,
                                           const hid::HidOpenOptions& options) override {
        ++opens;
        return inner_.Open(path, options);
    }
    bool PathExists(std::string_view path) override {
        ++presence_tests;
        return inner_.PathExists(path);
    }

    std::atomic<int> enumerations{0};
    std::atomic<int> opens{0};
    std::atomic<int> presence_tests{0};
    std::atomic<int> failing_listings{0};  // this many listings fail before they work again

private:
    hid::HidBackend& inner_;
};

}  // namespace calvorn::discovery::testing
