#include "platform/instance_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/ipc_endpoint.h"
#include "platform/test_support.h"

namespace calvorn::platform {
namespace {

using testing::MessageRecorder;
using testing::PumpUntil;
using testing::ScopedEnv;
using testing::TempFolder;

class InstanceLockTest : public ::testing::Test {
protected:
    TempFolder runtime;
    ScopedEnv env{"XDG_RUNTIME_DIR", runtime.path().string()};
};

TEST_F(InstanceLockTest, OneHolderAtATime) {
    auto first = std::make_unique<InstanceLock>("Calvorn");
    InstanceLock second("Calvorn");
    InstanceLock other("Other");
    EXPECT_TRUE(first->TryAcquire());
    EXPECT_TRUE(first->TryAcquire());  // already held
    EXPECT_FALSE(second.TryAcquire());
    EXPECT_TRUE(other.TryAcquire());
    first.reset();
    EXPECT_TRUE(second.TryAcquire());
    EXPECT_TRUE(second.Held());

    InstanceLock invalid("../Calvorn");
    EXPECT_FALSE(invalid.TryAcquire());
}

// Starting a second instance: it cannot take the lock, so it sends the activation message
// ("Calvorn", wParam 0, lParam 1) to the first, whose window receives it.
TEST_F(InstanceLockTest, SecondProcessActivatesTheFirst) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    // Forked before any thread starts here, so the child is an ordinary single-threaded process.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[1]);
        char go = 0;
        if (::read(ready[0], &go, 1) != 1) {
            ::_exit(5);
        }
        InstanceLock lock("Calvorn");
        if (lock.TryAcquire()) {
            ::_exit(3);
        }
        ::_exit(IpcSend("Calvorn", "Calvorn", 0, 1) ? 0 : 4);
    }
    ::close(ready[0]);

    InstanceLock lock("Calvorn");
    const bool acquired = lock.TryAcquire();
    UiLoop loop;
    MessageRecorder recorder;
    const WindowHandle window = loop.CreateWindow(&recorder);
    IpcEndpoint endpoint(loop, window);
    endpoint.Admit("Calvorn");
    const bool listening = endpoint.Listen("Calvorn");
    EXPECT_EQ(::write(ready[1], "g", 1), 1);
    ::close(ready[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(acquired);
    ASSERT_TRUE(listening);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3: took the lock, 4: could not send";

    ASSERT_TRUE(PumpUntil(loop, [&] { return !recorder.entries.empty(); }));
    ASSERT_EQ(recorder.entries.size(), 1u);
    EXPECT_EQ(recorder.entries[0].message, RegisterWindowMessage("Calvorn"));
    EXPECT_EQ(recorder.entries[0].wparam, 0u);
    EXPECT_EQ(recorder.entries[0].lparam, 1);
}

}  // namespace
}  // namespace calvorn::platform
