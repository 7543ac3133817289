#pragma once

// The UI thread's message loop: window handles with message handlers, a queue of posted
// messages, cross-thread SendMessage that blocks until the UI thread has handled the message,
// registered message ids by name, and timers keyed by (owner, id).
//
// The loop does not run by itself. The Qt host calls ProcessPending() whenever the wake
// callback fires or the next timer falls due; tests drive it with RunUntilIdle() and
// AdvanceBy() over a FakeClock, so "timer 1001 fires 500 ms after attach" is deterministic.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>

#include "platform/clock.h"

namespace calvorn::platform {

using WindowHandle = std::uint32_t;  // 0 is "no window"
using MessageId = std::uint32_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

// Message numbers the program shares with the protocols it speaks (Win32 values).
inline constexpr MessageId kMsgDestroy = 0x0002;
inline constexpr MessageId kMsgClose = 0x0010;
inline constexpr MessageId kMsgQuit = 0x0012;
inline constexpr MessageId kMsgCopyData = 0x004A;
inline constexpr MessageId kMsgTimer = 0x0113;
inline constexpr MessageId kMsgUser = 0x0400;
// Registered message ids are handed out from here upwards.
inline constexpr MessageId kFirstRegisteredMessage = 0xC000;

// Receives the messages of one window. Called on the UI thread only.
class MessageHandler {
public:
    virtual ~MessageHandler() = default;
    virtual LResult HandleMessage(WindowHandle window, MessageId message, WParam wparam,
                                  LParam lparam) = 0;
};

// Gives the same id for the same name for the life of the process, from any thread. Ids of
// different names differ. Cross-process messages travel by name, so ids need not agree
// between processes.
MessageId RegisterWindowMessage(std::string_view name);
// The name a registered id was made from, or empty for an id that was not registered.
std::string RegisteredMessageName(MessageId id);

class UiLoop {
public:
    // The loop belongs to the thread that constructs it (the UI thread).
    explicit UiLoop(Clock& clock = SteadyClock::Instance());
    ~UiLoop();
    UiLoop(const UiLoop&) = delete;
    UiLoop& operator=(const UiLoop&) = delete;

    Clock& GetClock() const { return clock_; }
    bool IsUiThread() const { return std::this_thread::get_id() == ui_thread_; }

    // Windows. A destroyed window's queued messages and timers are dropped; messages sent to
    // it return 0.
    WindowHandle CreateWindow(MessageHandler* handler);
    void DestroyWindow(WindowHandle window);
    bool IsWindow(WindowHandle window) const;

    // Queues a message for the UI thread. Any thread. False when the window does not exist or
    // the loop has shut down.
    bool PostMessage(WindowHandle window, MessageId message, WParam wparam, LParam lparam);

    // On the UI thread: calls the handler directly. From another thread: queues the message
    // ahead of posted ones and blocks until the UI thread has handled it, then returns the
    // handler's result. Returns 0 without waiting when the window does not exist or the loop
    // has shut down, and releases waiting senders with 0 when the loop shuts down.
    LResult SendMessage(WindowHandle window, MessageId message, WParam wparam, LParam lparam);

    // Timers. Keyed by (owner, id): setting an existing key re-arms it with the new period and
    // callback. A repeating timer fires every period after it last fired (missed periods are
    // not caught up); a one-shot timer is removed before its callback runs. Callbacks run on
    // the UI thread and may set or kill any timer, including their own.
    using TimerCallback = std::function<void()>;
    enum class TimerMode { kRepeat, kOnce };
    void SetTimer(const void* owner, std::uint32_t id, Millis period, TimerCallback callback,
                  TimerMode mode = TimerMode::kRepeat);
    bool KillTimer(const void* owner, std::uint32_t id);
    void KillTimers(const void* owner);
    bool HasTimer(const void* owner, std::uint32_t id) const;

    // Win32-style window timer: delivers kMsgTimer with wparam = id to the window's handler.
    void SetWindowTimer(WindowHandle window, std::uint32_t id, Millis period);
    bool KillWindowTimer(WindowHandle window, std::uint32_t id);

    // Handles every message queued now and every timer due now, once. Returns how many were
    // handled. UI thread only.
    int ProcessPending();
    // Handles only messages sent from other threads (not posted ones or timers); used while
    // the UI thread waits for a worker that may itself be blocked in SendMessage.
    int DispatchSentMessages();
    // When the next timer falls due, if any.
    std::optional<Millis> NextTimerDue() const;

    // Called from any thread whenever new work is queued, so a host loop can wake up. The
    // callback must not call back into the loop.
    void SetWakeCallback(std::function<void()> wake);

    // Runs until Quit() is called, sleeping between messages and timers. Returns the exit code.
    int Run();
    // Ends Run(): posts the quit message. Any thread.
    void Quit(int exit_code = 0);
    bool QuitRequested() const;
    int ExitCode() const;

    // Stops accepting messages and releases every blocked sender with 0. Called by the
    // destructor; a host calls it when it stops pumping.
    void Shutdown();

    // Test helpers. RunUntilIdle() repeats ProcessPending() until nothing is queued and no
    // timer is due. AdvanceBy() needs a FakeClock: it moves time forward to each timer
    // deadline in turn, firing the timers on the way, and ends at now + by.
    void RunUntilIdle();
    void AdvanceBy(Millis by);

private:
    struct SentCall;
    struct Message {
        WindowHandle window;
        MessageId message;
        WParam wparam;
        LParam lparam;
        std::shared_ptr<SentCall> sent;  // set for a cross-thread SendMessage
    };
    struct TimerKey {
        const void* owner;    // null for a window timer
        WindowHandle window;  // 0 for an owner timer
        std::uint32_t id;
        auto operator<=>(const TimerKey&) const = default;
    };
    struct Timer {
        Millis period;
        Millis due;
        TimerMode mode;
        std::uint64_t generation;
        std::shared_ptr<TimerCallback> callback;
    };

    LResult Dispatch(const Message& message);
    bool PopMessage(Message& out, bool sent_only);
    bool FireOneDueTimer();
    void Wake();

    Clock& clock_;
    const std::thread::id ui_thread_;

    mutable std::mutex mutex_;
    std::condition_variable work_;
    std::deque<Message> sent_;
    std::deque<Message> posted_;
    std::unordered_map<WindowHandle, MessageHandler*> windows_;
    WindowHandle next_window_ = 1;
    std::map<TimerKey, Timer> timers_;
    std::uint64_t timer_generation_ = 0;
    std::mutex wake_mutex_;
    std::function<void()> wake_;  // guarded by wake_mutex_
    bool quit_ = false;
    int exit_code_ = 0;
    bool shut_down_ = false;
};

}  // namespace calvorn::platform
