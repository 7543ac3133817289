#include "platform/trace.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace calvorn::platform {
namespace {

std::mutex& TraceMutex() {
    static std::mutex mutex;
    return mutex;
}

TraceCapture* g_capture = nullptr;  // guarded by TraceMutex()

bool TraceToStderr() {
    static const bool enabled = [] {
        const char* value = std::getenv("CALVORN_TRACE");
        return value != nullptr && std::strcmp(value, "1") == 0;
    }();
    return enabled;
}

std::string_view WithoutNewline(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    return line;
}

}  // namespace

void Trace(std::string_view line) {
    line = WithoutNewline(line);
    std::lock_guard lock(TraceMutex());
    if (g_capture != nullptr) {
        g_capture->Add(line);
    }
    if (TraceToStderr()) {
        std::fprintf(stderr, "calvorn: %.*s\n", static_cast<int>(line.size()), line.data());
    }
}

void TraceFormat(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    Trace(buffer);
}

std::string ErrorText(int error_number) {
    char buffer[256];
    // The GNU strerror_r returns the text, in `buffer` or in static storage.
    return strerror_r(error_number, buffer, sizeof buffer);
}

TraceCapture::TraceCapture() {
    std::lock_guard lock(TraceMutex());
    outer_ = g_capture;
    g_capture = this;
}

TraceCapture::~TraceCapture() {
    std::lock_guard lock(TraceMutex());
    g_capture = outer_;
}

std::vector<std::string> TraceCapture::Lines() const {
    std::lock_guard lock(TraceMutex());
    return lines_;
}

bool TraceCapture::Contains(std::string_view line) const {
    return Count(line) > 0;
}

size_t TraceCapture::Count(std::string_view line) const {
    line = WithoutNewline(line);
    std::lock_guard lock(TraceMutex());
    return static_cast<size_t>(std::count(lines_.begin(), lines_.end(), line));
}

void TraceCapture::Clear() {
    std::lock_guard lock(TraceMutex());
    lines_.clear();
}

void TraceCapture::Add(std::string_view line) {
    lines_.emplace_back(line);
}

}  // namespace calvorn::platform
