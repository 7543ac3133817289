#include "platform/thread_slot.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <thread>

#include "platform/manual_reset_event.h"
#include "platform/trace.h"
#include "platform/ui_loop.h"

namespace calvorn::platform {
namespace {

constexpr const char* kEnded = "线程退出：：对象处于激发状态";
constexpr const char* kTimedOut = "线程退出：：对象处于非激发状态，超时";
constexpr const char* kError = "线程退出：：错误";

TEST(ManualResetEventTest, StaysSetUntilResetAndReleasesWaiters) {
    ManualResetEvent event;
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.Wait(0));
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(-1));  // manual reset: still set after a successful wait
    event.Reset();
    EXPECT_FALSE(event.IsSet());

    std::atomic<int> released{0};
    std::thread first([&] { released += event.Wait(-1); });
    std::thread second([&] { released += event.Wait(-1); });
    event.Set();
    first.join();
    second.join();
    EXPECT_EQ(released, 2);
}

// A pipe whose read end a worker blocks on, as a HID read blocks until a report arrives.
struct Pipe {
    int fds[2] = {-1, -1};
    Pipe() { EXPECT_EQ(::pipe(fds), 0); }
    ~Pipe() {
        ::close(fds[0]);
        ::close(fds[1]);
    }
    int read_end() const { return fds[0]; }
    void Poke() const { ASSERT_EQ(::write(fds[1], "x", 1), 1); }
};

// Reads until the stop event is set; each read blocks until the pipe has a byte.
void ReadUntilStopped(int fd, ManualResetEvent& stop) {
    while (!stop.IsSet()) {
        char byte;
        if (::read(fd, &byte, 1) < 0) {
            return;
        }
    }
}

TEST(ThreadSlotTest, ReleaseUnblocksAReadSoTheThreadStopsInTime) {
    TraceCapture trace;
    auto pipe = std::make_shared<Pipe>();
    ThreadSlot slot;
    std::atomic<bool> reading{false};
    ASSERT_TRUE(slot.Start(
        [pipe, &reading](ManualResetEvent& stop) {
            reading = true;
            ReadUntilStopped(pipe->read_end(), stop);
        },
        [pipe] { pipe->Poke(); }));
    while (!reading) {
        std::this_thread::yield();
    }
    EXPECT_EQ(slot.Stop(), StopOutcome::kEnded);  // within the default 1000 ms
    EXPECT_FALSE(slot.HasThread());
    EXPECT_EQ(trace.Lines(), std::vector<std::string>{kEnded});
    EXPECT_EQ(slot.Stop(), StopOutcome::kNotRunning);
    EXPECT_EQ(trace.Lines().size(), 1u);
}

TEST(ThreadSlotTest, ThreadThatIgnoresTheStopEventIsAbandonedAndKeepsItsOwnEvent) {
    TraceCapture trace;
    // Only shared state: the abandoned thread outlives the slot's hold on it.
    struct Gate {
        ManualResetEvent open;
        ManualResetEvent done;
        std::atomic<bool> saw_stop{false};
    };
    auto gate = std::make_shared<Gate>();
    ThreadSlot slot;
    ASSERT_TRUE(slot.Start([gate](ManualResetEvent& stop) {
        gate->open.Wait(-1);  // does not look at its stop event meanwhile
        gate->saw_stop = stop.IsSet();
        gate->done.Set();
    }));
    EXPECT_EQ(slot.Stop(Millis(20)), StopOutcome::kTimedOut);
    EXPECT_FALSE(slot.HasThread());
    EXPECT_TRUE(trace.Contains(kTimedOut));

    // A new thread in the slot gets a fresh event; the abandoned one still sees its own set.
    std::atomic<bool> second_saw_stop{true};
    ManualResetEvent second_running;
    ASSERT_TRUE(slot.Start([&](ManualResetEvent& stop) {
        second_saw_stop = stop.IsSet();
        second_running.Set();
        stop.Wait(-1);
    }));
    gate->open.Set();
    ASSERT_TRUE(gate->done.Wait(-1));
    EXPECT_TRUE(gate->saw_stop);
    second_running.Wait(-1);
    EXPECT_FALSE(second_saw_stop);
    EXPECT_EQ(slot.Stop(), StopOutcome::kEnded);
}

TEST(ThreadSlotTest, StartStopsThePreviousThreadFirst) {
    TraceCapture trace;
    ThreadSlot slot;
    std::atomic<int> stopped{0};
    auto body = [&](ManualResetEvent& stop) {
        stop.Wait(-1);
        ++stopped;
    };
    ASSERT_TRUE(slot.Start(body));
    ASSERT_TRUE(slot.Start(body));
    EXPECT_EQ(stopped, 1);
    EXPECT_EQ(trace.Count(kEnded), 1u);
    EXPECT_EQ(slot.Stop(), StopOutcome::kEnded);
    EXPECT_EQ(stopped, 2);
}

TEST(ThreadSlotTest, ShutdownTextsAndSilentSlots) {
    struct Case {
        StopTexts texts;
        bool ends;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {StopTexts::kShutdown, true, {"所有对象处于激发状态"}},
        {StopTexts::kShutdown, false, {"所有对象处于非激发状态，超时"}},
        {StopTexts::kWorker, false, {kTimedOut}},
        {StopTexts::kSilent, true, {}},
        {StopTexts::kSilent, false, {}},
    };
    for (const Case& c : cases) {
        TraceCapture trace;
        auto release = std::make_shared<ManualResetEvent>();
        {
            ThreadSlot slot(c.texts);
            ASSERT_TRUE(slot.Start([release, ends = c.ends](ManualResetEvent& stop) {
                (ends ? stop : *release).Wait(-1);
            }));
            slot.Stop(Millis(20));
        }
        release->Set();
        EXPECT_EQ(trace.Lines(), c.expected);
    }
}

TEST(ThreadSlotTest, StoppingFromItsOwnThreadIsAnError) {
    TraceCapture trace;
    ThreadSlot slot;
    ManualResetEvent done;
    std::atomic<StopOutcome> outcome{StopOutcome::kNotRunning};
    ASSERT_TRUE(slot.Start([&](ManualResetEvent&) {
        outcome = slot.Stop();
        done.Set();
    }));
    done.Wait(-1);
    EXPECT_EQ(outcome, StopOutcome::kError);
    EXPECT_EQ(trace.Lines(), std::vector<std::string>{kError});
    EXPECT_FALSE(slot.HasThread());
}

// A worker that sends to the UI thread while the UI thread waits for it to stop: the wait
// must serve the send, or both threads would wait on each other until the timeout.
TEST(ThreadSlotTest, StopOnTheUiThreadServesMessagesTheWorkerSends) {
    struct Handler : MessageHandler {
        std::atomic<int> handled{0};
        LResult HandleMessage(WindowHandle, MessageId, WParam, LParam) override {
            ++handled;
            return 7;
        }
    } handler;
    UiLoop loop;
    const WindowHandle window = loop.CreateWindow(&handler);
    ThreadSlot slot(StopTexts::kWorker, &loop);
    std::atomic<bool> sending{false};
    std::atomic<LResult> result{0};
    ASSERT_TRUE(slot.Start([&](ManualResetEvent& stop) {
        stop.Wait(-1);
        sending = true;
        result = loop.SendMessage(window, kMsgUser, 0, 0);
    }));
    TraceCapture trace;
    EXPECT_EQ(slot.Stop(), StopOutcome::kEnded);
    EXPECT_TRUE(sending);
    EXPECT_EQ(result, 7);
    EXPECT_EQ(handler.handled, 1);
    EXPECT_TRUE(trace.Contains(kEnded));
}

}  // namespace
}  // namespace calvorn::platform
