#include "platform/ui_loop.h"

#include <algorithm>
#include <vector>

namespace calvorn::platform {

namespace {

struct MessageRegistry {
    std::mutex mutex;
    std::unordered_map<std::string, MessageId> ids;
    std::vector<std::string> names;  // index = id - kFirstRegisteredMessage
};

MessageRegistry& Registry() {
    static MessageRegistry registry;
    return registry;
}

}  // namespace

MessageId RegisterWindowMessage(std::string_view name) {
    MessageRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    auto [it, inserted] = registry.ids.try_emplace(
        std::string(name), kFirstRegisteredMessage + static_cast<MessageId>(registry.names.size()));
    if (inserted) {
        registry.names.emplace_back(name);
    }
    return it->second;
}

std::string RegisteredMessageName(MessageId id) {
    MessageRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    if (id < kFirstRegisteredMessage || id - kFirstRegisteredMessage >= registry.names.size()) {
        return {};
    }
    return registry.names[id - kFirstRegisteredMessage];
}

struct UiLoop::SentCall {
    std::condition_variable done_signal;
    bool done = false;
    LResult result = 0;
};

UiLoop::UiLoop(Clock& clock) : clock_(clock), ui_thread_(std::this_thread::get_id()) {}

UiLoop::~UiLoop() {
    Shutdown();
}

WindowHandle UiLoop::CreateWindow(MessageHandler* handler) {
    std::lock_guard lock(mutex_);
    const WindowHandle window = next_window_++;
    windows_.emplace(window, handler);
    return window;
}

void UiLoop::DestroyWindow(WindowHandle window) {
    std::lock_guard lock(mutex_);
    windows_.erase(window);
    auto for_window = [window](const Message& m) { return m.window == window; };
    for (Message& m : sent_) {
        if (m.window == window) {
            m.sent->done = true;
            m.sent->done_signal.notify_all();
        }
    }
    std::erase_if(sent_, for_window);
    std::erase_if(posted_, for_window);
    std::erase_if(timers_, [window](const auto& entry) { return entry.first.window == window; });
}

bool UiLoop::IsWindow(WindowHandle window) const {
    std::lock_guard lock(mutex_);
    return windows_.contains(window);
}

bool UiLoop::PostMessage(WindowHandle window, MessageId message, WParam wparam, LParam lparam) {
    {
        std::lock_guard lock(mutex_);
        if (shut_down_ || !windows_.contains(window)) {
            return false;
        }
        posted_.push_back(Message{window, message, wparam, lparam, nullptr});
    }
    Wake();
    return true;
}

LResult UiLoop::SendMessage(WindowHandle window, MessageId message, WParam wparam, LParam lparam) {
    if (IsUiThread()) {
        return Dispatch(Message{window, message, wparam, lparam, nullptr});
    }
    auto call = std::make_shared<SentCall>();
    std::unique_lock lock(mutex_);
    if (shut_down_ || !windows_.contains(window)) {
        return 0;
    }
    sent_.push_back(Message{window, message, wparam, lparam, call});
    lock.unlock();
    Wake();
    lock.lock();
    call->done_signal.wait(lock, [&call] { return call->done; });
    return call->result;
}

LResult UiLoop::Dispatch(const Message& message) {
    MessageHandler* handler = nullptr;
    {
        std::lock_guard lock(mutex_);
        auto it = windows_.find(message.window);
        if (it != windows_.end()) {
            handler = it->second;
        }
    }
    const LResult result = handler != nullptr
                               ? handler->HandleMessage(message.window, message.message,
                                                        message.wparam, message.lparam)
                               : 0;
    if (message.sent) {
        std::lock_guard lock(mutex_);
        message.sent->result = result;
        message.sent->done = true;
        message.sent->done_signal.notify_all();
    }
    return result;
}

void UiLoop::SetTimer(const void* owner, std::uint32_t id, Millis period, TimerCallback callback,
                      TimerMode mode) {
    period = std::max(period, Millis(1));  // a zero period would starve the loop
    {
        std::lock_guard lock(mutex_);
        timers_[TimerKey{owner, 0, id}] =
            Timer{period, clock_.Now() + period, mode, ++timer_generation_,
                  std::make_shared<TimerCallback>(std::move(callback))};
    }
    Wake();
}

bool UiLoop::KillTimer(const void* owner, std::uint32_t id) {
    std::lock_guard lock(mutex_);
    return timers_.erase(TimerKey{owner, 0, id}) > 0;
}

void UiLoop::KillTimers(const void* owner) {
    std::lock_guard lock(mutex_);
    std::erase_if(timers_, [owner](const auto& entry) {
        return entry.first.window == 0 && entry.first.owner == owner;
    });
}

bool UiLoop::HasTimer(const void* owner, std::uint32_t id) const {
    std::lock_guard lock(mutex_);
    return timers_.contains(TimerKey{owner, 0, id});
}

void UiLoop::SetWindowTimer(WindowHandle window, std::uint32_t id, Millis period) {
    period = std::max(period, Millis(1));
    {
        std::lock_guard lock(mutex_);
        if (!windows_.contains(window)) {
            return;
        }
        auto deliver = [this, window, id] { SendMessage(window, kMsgTimer, id, 0); };
        timers_[TimerKey{nullptr, window, id}] =
            Timer{period, clock_.Now() + period, TimerMode::kRepeat, ++timer_generation_,
                  std::make_shared<TimerCallback>(std::move(deliver))};
    }
    Wake();
}

bool UiLoop::KillWindowTimer(WindowHandle window, std::uint32_t id) {
    std::lock_guard lock(mutex_);
    return timers_.erase(TimerKey{nullptr, window, id}) > 0;
}

bool UiLoop::PopMessage(Message& out, bool sent_only) {
    std::lock_guard lock(mutex_);
    if (!sent_.empty()) {
        out = std::move(sent_.front());
        sent_.pop_front();
        return true;
    }
    if (sent_only || posted_.empty()) {
        return false;
    }
    out = std::move(posted_.front());
    posted_.pop_front();
    return true;
}

bool UiLoop::FireOneDueTimer() {
    std::shared_ptr<TimerCallback> callback;
    {
        std::lock_guard lock(mutex_);
        const Millis now = clock_.Now();
        auto due = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it) {
            if (it->second.due <= now &&
                (due == timers_.end() || it->second.due < due->second.due ||
                 (it->second.due == due->second.due &&
                  it->second.generation < due->second.generation))) {
                due = it;
            }
        }
        if (due == timers_.end()) {
            return false;
        }
        callback = due->second.callback;
        if (due->second.mode == TimerMode::kOnce) {
            timers_.erase(due);
        } else {
            // Re-armed from now, not from the missed deadline: a late timer fires once.
            due->second.due = std::max(now, due->second.due) + due->second.period;
            due->second.generation = ++timer_generation_;
        }
    }
    (*callback)();
    return true;
}

int UiLoop::ProcessPending() {
    int handled = 0;
    size_t budget;
    {
        std::lock_guard lock(mutex_);
        budget = sent_.size() + posted_.size();
    }
    Message message;
    while (budget > 0 && PopMessage(message, false)) {
        --budget;
        ++handled;
        Dispatch(message);
    }
    // Each due timer fires at most once per pass; a repeating timer is re-armed into the
    // future before its callback runs, so this loop ends.
    while (FireOneDueTimer()) {
        ++handled;
    }
    return handled;
}

int UiLoop::DispatchSentMessages() {
    int handled = 0;
    Message message;
    while (PopMessage(message, true)) {
        Dispatch(message);
        ++handled;
    }
    return handled;
}

std::optional<Millis> UiLoop::NextTimerDue() const {
    std::lock_guard lock(mutex_);
    std::optional<Millis> next;
    for (const auto& [key, timer] : timers_) {
        if (!next || timer.due < *next) {
            next = timer.due;
        }
    }
    return next;
}

void UiLoop::SetWakeCallback(std::function<void()> wake) {
    std::lock_guard lock(wake_mutex_);
    wake_ = std::move(wake);
}

void UiLoop::Wake() {
    work_.notify_all();
    // The callback runs under wake_mutex_, so once SetWakeCallback(nullptr) has returned no
    // thread is still inside the old callback and its target may be destroyed.
    std::lock_guard lock(wake_mutex_);
    if (wake_) {
        wake_();
    }
}

int UiLoop::Run() {
    while (!QuitRequested()) {
        ProcessPending();
        std::unique_lock lock(mutex_);
        if (quit_ || shut_down_ || !sent_.empty() || !posted_.empty()) {
            continue;
        }
        std::optional<Millis> next;
        for (const auto& [key, timer] : timers_) {
            if (!next || timer.due < *next) {
                next = timer.due;
            }
        }
        if (next) {
            const Millis delay = *next - clock_.Now();
            if (delay > Millis(0)) {
                work_.wait_for(lock, delay);
            }
        } else {
            work_.wait(lock);
        }
    }
    return ExitCode();
}

void UiLoop::Quit(int exit_code) {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        exit_code_ = exit_code;
    }
    Wake();
}

bool UiLoop::QuitRequested() const {
    std::lock_guard lock(mutex_);
    return quit_ || shut_down_;
}

int UiLoop::ExitCode() const {
    std::lock_guard lock(mutex_);
    return exit_code_;
}

void UiLoop::Shutdown() {
    std::lock_guard lock(mutex_);
    shut_down_ = true;
    for (Message& m : sent_) {
        m.sent->done = true;
        m.sent->done_signal.notify_all();
    }
    sent_.clear();
    posted_.clear();
    timers_.clear();
    work_.notify_all();
}

void UiLoop::RunUntilIdle() {
    while (ProcessPending() > 0) {
    }
}

void UiLoop::AdvanceBy(Millis by) {
    auto* fake = dynamic_cast<FakeClock*>(&clock_);
    if (fake == nullptr) {
        return;
    }
    const Millis target = fake->Now() + by;
    RunUntilIdle();
    for (std::optional<Millis> next = NextTimerDue(); next && *next <= target;
         next = NextTimerDue()) {
        if (*next > fake->Now()) {
            fake->Set(*next);
        }
        RunUntilIdle();
    }
    fake->Set(target);
    RunUntilIdle();
}

}  // namespace calvorn::platform
