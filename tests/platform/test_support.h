#pragma once

// Helpers for tests that touch files, the environment or the message loop.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/ipc_endpoint.h"
#include "platform/ui_loop.h"

namespace calvorn::platform::testing {

// A fresh empty folder under the system's temporary folder, removed with its content.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "calvorn-test-XXXXXX");
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
        EXPECT_FALSE(path_.empty()) << "cannot create a temporary folder";
    }
    ~TempFolder() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& relative) const {
        return path_ / relative;
    }

private:
    std::filesystem::path path_;
};

// Sets (or, with nullopt, unsets) an environment variable and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
        if (const char* old = ::getenv(name_.c_str())) {
            old_ = old;
        }
        Apply(value);
    }
    ~ScopedEnv() { Apply(old_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Apply(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name_.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name_.c_str());
        }
    }
    std::string name_;
    std::optional<std::string> old_;
};

// A window handler that records what reaches it, with a copy of each kMsgCopyData record.
struct MessageRecorder : MessageHandler {
    struct Entry {
        MessageId message;
        WParam wparam;
        LParam lparam;
        std::optional<CopyDataMessage> copy;
    };
    std::vector<Entry> entries;  // UI thread only

    LResult HandleMessage(WindowHandle, MessageId message, WParam wparam, LParam lparam) override {
        Entry entry{message, wparam, lparam, std::nullopt};
        if (message == kMsgCopyData) {
            entry.copy = *reinterpret_cast<const CopyDataMessage*>(lparam);
        }
        entries.push_back(std::move(entry));
        return 1;
    }
};

// Keeps pumping `loop` until `done` holds; gives up after a generous real-time limit so that
// a broken build fails instead of hanging. Returns whether `done` held.
inline bool PumpUntil(UiLoop& loop, const std::function<bool()>& done) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > give_up) {
            return false;
        }
        loop.ProcessPending();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Polls `done` the same way, without a loop.
inline bool WaitUntil(const std::function<bool()>& done) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > give_up) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace calvorn::platform::testing
