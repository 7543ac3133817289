#include "platform/thread_slot.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#include "platform/trace.h"
#include "platform/ui_loop.h"

namespace calvorn::platform {

namespace {

// How long the UI thread waits between two looks at the sent-message queue while it waits
// for a worker to end.
constexpr Millis kPumpSlice{1};

}  // namespace

ThreadSlot::ThreadSlot(StopTexts texts, UiLoop* pump) : texts_(texts), pump_(pump) {}

ThreadSlot::~ThreadSlot() {
    Stop();
}

bool ThreadSlot::Start(Body body, Release release) {
    Stop();
    auto shared = std::make_shared<Shared>();
    try {
        thread_ = std::thread([shared, body = std::move(body)] {
            // The slot is complete before the body runs, even if the body uses the slot.
            shared->installed.Wait(-1);
            body(shared->stop);
            shared->finished.Set();
        });
    } catch (const std::system_error&) {
        return false;
    }
    shared_ = shared;
    release_ = std::move(release);
    shared->installed.Set();
    return true;
}

void ThreadSlot::SignalStop() {
    if (!shared_) {
        return;
    }
    shared_->stop.Set();
    if (release_) {
        Release release = std::move(release_);
        release_ = nullptr;
        release();
    }
}

StopOutcome ThreadSlot::Stop(Millis timeout) {
    if (!thread_.joinable()) {
        return StopOutcome::kNotRunning;
    }
    SignalStop();
    StopOutcome outcome;
    if (thread_.get_id() == std::this_thread::get_id()) {
        // Joining itself would dead-lock; the thread ends on its own once it returns.
        thread_.detach();
        outcome = StopOutcome::kError;
    } else if (WaitForEnd(timeout)) {
        thread_.join();
        outcome = StopOutcome::kEnded;
    } else {
        thread_.detach();
        outcome = StopOutcome::kTimedOut;
    }
    shared_.reset();
    TraceOutcome(outcome);
    return outcome;
}

bool ThreadSlot::WaitForEnd(Millis timeout) {
    const ManualResetEvent& finished = shared_->finished;
    if (pump_ == nullptr || !pump_->IsUiThread()) {
        return finished.Wait(static_cast<int>(timeout.count()));
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        pump_->DispatchSentMessages();
        const auto left =
            std::chrono::duration_cast<Millis>(deadline - std::chrono::steady_clock::now());
        if (finished.Wait(static_cast<int>(std::clamp(left, Millis(0), kPumpSlice).count()))) {
            return true;
        }
        if (left <= Millis(0)) {
            return false;
        }
    }
}

void ThreadSlot::TraceOutcome(StopOutcome outcome) const {
    struct Texts {
        const char* ended;
        const char* timed_out;
        const char* error;
    };
    static constexpr Texts kWorkerTexts{"线程退出：：对象处于激发状态\n",
                                        "线程退出：：对象处于非激发状态，超时\n",
                                        "线程退出：：错误\n"};
    static constexpr Texts kShutdownTexts{"所有对象处于激发状态\n",
                                          "所有对象处于非激发状态，超时\n", "错误\n"};
    if (texts_ == StopTexts::kSilent) {
        return;
    }
    const Texts& texts = texts_ == StopTexts::kWorker ? kWorkerTexts : kShutdownTexts;
    switch (outcome) {
        case StopOutcome::kEnded:
            Trace(texts.ended);
            break;
        case StopOutcome::kTimedOut:
            Trace(texts.timed_out);
            break;
        case StopOutcome::kError:
            Trace(texts.error);
            break;
        case StopOutcome::kNotRunning:
            break;
    }
}

}  // namespace calvorn::platform
