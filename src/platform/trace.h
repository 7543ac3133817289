#pragma once

// The debug trace: fixed diagnostic lines that the program writes at notable points (a thread
// ending, a device command failing). They go to stderr when CALVORN_TRACE=1 and are dropped
// otherwise; tests capture them with TraceCapture to check that the right line was written.

#include <string>
#include <string_view>
#include <vector>

namespace calvorn::platform {

// Writes one trace line. Safe from any thread. A trailing newline in `line` is not doubled.
void Trace(std::string_view line);

// printf-style convenience for trace lines that carry a number or a name.
void TraceFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The system's text for an errno value, for trace lines. Unlike strerror, safe from any thread.
std::string ErrorText(int error_number);

// While alive, every trace line (from any thread) is also recorded here, without its trailing
// newline. Captures nest; the innermost receives the lines.
class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    std::vector<std::string> Lines() const;
    bool Contains(std::string_view line) const;
    size_t Count(std::string_view line) const;
    void Clear();

private:
    friend void Trace(std::string_view line);
    void Add(std::string_view line);

    TraceCapture* outer_;
    std::vector<std::string> lines_;
};

}  // namespace calvorn::platform
