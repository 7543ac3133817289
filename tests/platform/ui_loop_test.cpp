#include "platform/ui_loop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace calvorn::platform {
namespace {

struct Recorder : MessageHandler {
    struct Entry {
        MessageId message;
        WParam wparam;
        LParam lparam;
        bool on_ui_thread;
    };
    UiLoop* loop = nullptr;
    std::vector<Entry> entries;
    LResult HandleMessage(WindowHandle, MessageId message, WParam wparam, LParam lparam) override {
        entries.push_back({message, wparam, lparam, loop->IsUiThread()});
        return static_cast<LResult>(wparam) * 2;
    }
};

class UiLoopTest : public ::testing::Test {
protected:
    FakeClock clock;
    UiLoop loop{clock};
    Recorder recorder;
    WindowHandle window = 0;
    void SetUp() override {
        recorder.loop = &loop;
        window = loop.CreateWindow(&recorder);
    }
};

TEST_F(UiLoopTest, SendFromWorkerIsHandledOnUiThreadBeforeItReturns) {
    std::atomic<LResult> result{-1};
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        result = loop.SendMessage(window, 3090, 21, 7);
        returned = true;
    });
    // The worker stays blocked until the UI thread pumps.
    while (loop.DispatchSentMessages() == 0) {
        std::this_thread::yield();
    }
    worker.join();
    EXPECT_TRUE(returned);
    EXPECT_EQ(result, 42);
    ASSERT_EQ(recorder.entries.size(), 1u);
    EXPECT_EQ(recorder.entries[0].message, 3090u);
    EXPECT_TRUE(recorder.entries[0].on_ui_thread);
}

TEST_F(UiLoopTest, SendOnUiThreadIsDirectAndPostWaitsForThePump) {
    EXPECT_EQ(loop.SendMessage(window, 1, 5, 0), 10);
    EXPECT_EQ(recorder.entries.size(), 1u);
    EXPECT_TRUE(loop.PostMessage(window, 2, 0, 0));
    EXPECT_EQ(recorder.entries.size(), 1u);
    loop.RunUntilIdle();
    ASSERT_EQ(recorder.entries.size(), 2u);
    EXPECT_EQ(recorder.entries[1].message, 2u);
}

TEST_F(UiLoopTest, ShutdownReleasesBlockedSenderAndRefusesNewMessages) {
    std::atomic<bool> queued{false};
    loop.SetWakeCallback([&] { queued = true; });
    std::atomic<LResult> result{-1};
    std::thread worker([&] { result = loop.SendMessage(window, 1, 5, 0); });
    while (!queued) {
        std::this_thread::yield();
    }
    loop.Shutdown();
    worker.join();
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(recorder.entries.empty());
    EXPECT_FALSE(loop.PostMessage(window, 1, 0, 0));
    std::thread late([&] { result = loop.SendMessage(window, 1, 5, 0); });
    late.join();
    EXPECT_EQ(result, 0);
}

TEST_F(UiLoopTest, MessagesToDestroyedWindowAreDropped) {
    loop.PostMessage(window, 1, 0, 0);
    loop.DestroyWindow(window);
    loop.RunUntilIdle();
    EXPECT_TRUE(recorder.entries.empty());
    EXPECT_FALSE(loop.PostMessage(window, 1, 0, 0));
}

TEST_F(UiLoopTest, OneShotAndRepeatingTimersFireAtFakeClockTimes) {
    const Millis start = clock.Now();
    std::vector<Millis> once, repeat;
    int owner = 0;
    loop.SetTimer(
        &owner, 1, Millis(500), [&] { once.push_back(clock.Now() - start); },
        UiLoop::TimerMode::kOnce);
    loop.SetTimer(&owner, 2, Millis(50), [&] {
        repeat.push_back(clock.Now() - start);
        if (repeat.size() == 3) {
            loop.KillTimer(&owner, 2);
        }
    });
    loop.AdvanceBy(Millis(1000));
    EXPECT_EQ(once, std::vector<Millis>{Millis(500)});
    EXPECT_EQ(repeat, (std::vector<Millis>{Millis(50), Millis(100), Millis(150)}));
    EXPECT_FALSE(loop.HasTimer(&owner, 1));
    EXPECT_FALSE(loop.HasTimer(&owner, 2));
    EXPECT_EQ(clock.Now() - start, Millis(1000));
}

TEST_F(UiLoopTest, SettingATimerAgainReArmsIt) {
    int owner = 0;
    int fired = 0;
    loop.SetTimer(&owner, 7, Millis(100), [&] { ++fired; });
    loop.AdvanceBy(Millis(90));
    loop.SetTimer(&owner, 7, Millis(100), [&] { fired += 10; });
    loop.AdvanceBy(Millis(90));
    EXPECT_EQ(fired, 0);
    loop.AdvanceBy(Millis(10));
    EXPECT_EQ(fired, 10);
    loop.KillTimers(&owner);
    loop.AdvanceBy(Millis(1000));
    EXPECT_EQ(fired, 10);
}

TEST_F(UiLoopTest, WindowTimerDeliversTimerMessageUntilKilled) {
    loop.SetWindowTimer(window, 1001, Millis(500));
    loop.AdvanceBy(Millis(1499));
    ASSERT_EQ(recorder.entries.size(), 2u);
    EXPECT_EQ(recorder.entries[0].message, kMsgTimer);
    EXPECT_EQ(recorder.entries[0].wparam, 1001u);
    EXPECT_TRUE(loop.KillWindowTimer(window, 1001));
    loop.AdvanceBy(Millis(1000));
    EXPECT_EQ(recorder.entries.size(), 2u);
}

TEST(RegisterWindowMessageTest, SameNameSameIdAcrossThreads) {
    const MessageId id = RegisterWindowMessage("Calvorn");
    MessageId from_thread = 0;
    std::thread([&] { from_thread = RegisterWindowMessage("Calvorn"); }).join();
    EXPECT_EQ(id, from_thread);
    EXPECT_GE(id, kFirstRegisteredMessage);
    EXPECT_NE(id, RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF15}"));
    EXPECT_EQ(RegisteredMessageName(id), "Calvorn");
    EXPECT_EQ(RegisteredMessageName(3090), "");
}

}  // namespace
}  // namespace calvorn::platform
