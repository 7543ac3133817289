#include "platform/ipc_endpoint.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "platform/folders.h"
#include "platform/ipc_datagram.h"
#include "platform/test_support.h"
#include "platform/trace.h"

namespace calvorn::platform {
namespace {

namespace fs = std::filesystem;
using testing::MessageRecorder;
using testing::PumpUntil;
using testing::ScopedEnv;
using testing::TempFolder;

class IpcEndpointTest : public ::testing::Test {
protected:
    TempFolder runtime;
    ScopedEnv env{"XDG_RUNTIME_DIR", runtime.path().string()};
    UiLoop loop;
    MessageRecorder recorder;
    WindowHandle window = loop.CreateWindow(&recorder);

    fs::path SocketFile(const std::string& name) const {
        return runtime / "calvorn" / (name + ".sock");
    }
    bool WaitForMessages(size_t count) {
        return PumpUntil(loop, [&] { return recorder.entries.size() >= count; });
    }
    // Sends raw bytes, as a broken or hostile program could.
    void SendRaw(const std::string& endpoint, const std::vector<std::uint8_t>& bytes) {
        const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = SocketFile(endpoint);
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        EXPECT_EQ(::sendto(fd, bytes.data(), bytes.size(), 0,
                           reinterpret_cast<const sockaddr*>(&address), sizeof address),
                  static_cast<ssize_t>(bytes.size()));
        ::close(fd);
    }
};

TEST_F(IpcEndpointTest, AdmittedMessagesArriveAsWindowMessages) {
    TraceCapture trace;
    IpcEndpoint endpoint(loop, window);
    endpoint.Admit("Calvorn");
    endpoint.Admit("3093");
    ASSERT_TRUE(endpoint.Listen("Calvorn"));
    struct stat info {};
    ASSERT_EQ(::stat(SocketFile("Calvorn").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);

    EXPECT_TRUE(IpcSend("Calvorn", "Calvorn", 0, 1));
    EXPECT_TRUE(IpcSend("Calvorn", "Game_Start", 0, 4));  // not admitted
    EXPECT_TRUE(IpcSend("Calvorn", "3093", 5, -6));
    ASSERT_TRUE(WaitForMessages(2));
    ASSERT_EQ(recorder.entries.size(), 2u);
    EXPECT_EQ(recorder.entries[0].message, RegisterWindowMessage("Calvorn"));
    EXPECT_EQ(recorder.entries[0].wparam, 0u);
    EXPECT_EQ(recorder.entries[0].lparam, 1);
    EXPECT_EQ(recorder.entries[1].message, 3093u);
    EXPECT_EQ(recorder.entries[1].wparam, 5u);
    EXPECT_EQ(recorder.entries[1].lparam, -6);
    EXPECT_TRUE(trace.Contains("IPC Calvorn: dropped message 'Game_Start': not admitted"));
}

TEST_F(IpcEndpointTest, PayloadArrivesAsCopyDataDuringASend) {
    IpcEndpoint endpoint(loop, window);
    endpoint.Admit("DeviceTable");
    ASSERT_TRUE(endpoint.Listen("ViraVide"));
    std::vector<std::uint8_t> table(1024);
    table[0] = 2;
    table[1023] = 9;
    ASSERT_TRUE(IpcSend("ViraVide", "DeviceTable", 77, 5, table));
    ASSERT_TRUE(WaitForMessages(1));
    const MessageRecorder::Entry& entry = recorder.entries[0];
    EXPECT_EQ(entry.message, kMsgCopyData);
    EXPECT_EQ(entry.wparam, 0u);
    ASSERT_TRUE(entry.copy);
    EXPECT_EQ(entry.copy->message_name, "DeviceTable");
    EXPECT_EQ(entry.copy->wparam, 77u);
    EXPECT_EQ(entry.copy->lparam, 5);
    EXPECT_EQ(entry.copy->payload, table);
}

TEST_F(IpcEndpointTest, MalformedDatagramsAreDroppedAndTraced) {
    TraceCapture trace;
    IpcEndpoint endpoint(loop, window);
    endpoint.Admit("Calvorn");
    ASSERT_TRUE(endpoint.Listen("Calvorn"));

    const std::vector<std::uint8_t> valid = *EncodeIpcDatagram({"Calvorn", 0, 1, {}});
    std::vector<std::vector<std::uint8_t>> bad;
    bad.emplace_back();                                   // empty
    bad.emplace_back(valid.begin(), valid.begin() + 10);  // truncated header
    bad.emplace_back(valid.begin(), valid.end() - 1);     // truncated name
    bad.push_back(valid);
    bad.back()[0] = 'X';  // bad magic
    bad.push_back(valid);
    bad.back()[5] = 200;  // name length lies
    bad.push_back(valid);
    bad.back()[6] = 0xFF;  // payload length lies
    bad.push_back(valid);
    bad.back()[7] = 0xFF;                                 // payload over the limit
    bad.emplace_back(kIpcMaxDatagramBytes + 1000, 0x41);  // longer than any datagram
    std::copy(valid.begin(), valid.end(), bad.back().begin());
    for (const auto& bytes : bad) {
        SendRaw("Calvorn", bytes);
    }
    SendRaw("Calvorn", valid);

    // Datagrams arrive in order, so once the valid one is handled every bad one was seen.
    ASSERT_TRUE(WaitForMessages(1));
    EXPECT_EQ(recorder.entries.size(), 1u);
    size_t dropped = 0;
    for (const std::string& line : trace.Lines()) {
        dropped += line.starts_with("IPC Calvorn: dropped a datagram");
    }
    EXPECT_EQ(dropped, bad.size());
    EXPECT_TRUE(IpcSend("Calvorn", "Calvorn", 0, 2));  // still serving
    ASSERT_TRUE(WaitForMessages(2));
}

TEST_F(IpcEndpointTest, SendFailsWhenNobodyListens) {
    EXPECT_FALSE(IpcSend("Calvorn", "Calvorn", 0, 1));
    {
        IpcEndpoint endpoint(loop, window);
        ASSERT_TRUE(endpoint.Listen("Calvorn"));
        EXPECT_TRUE(endpoint.Listening());
        EXPECT_TRUE(IpcSend("Calvorn", "Calvorn", 0, 1));
    }
    EXPECT_FALSE(fs::exists(SocketFile("Calvorn")));
    EXPECT_FALSE(IpcSend("Calvorn", "Calvorn", 0, 1));
    EXPECT_FALSE(IpcSend("Calvorn", "", 0, 1));
    EXPECT_FALSE(IpcSend("../Calvorn", "Calvorn", 0, 1));
}

TEST_F(IpcEndpointTest, StaleSocketIsReplacedButALiveOneIsNot) {
    // A socket file left by a process that ended.
    ASSERT_TRUE(RuntimeFolder());
    {
        const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = SocketFile("Calvorn");
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }
    IpcEndpoint first(loop, window);
    first.Admit("Calvorn");
    ASSERT_TRUE(first.Listen("Calvorn"));

    IpcEndpoint second(loop, window);
    EXPECT_FALSE(second.Listen("Calvorn"));
    EXPECT_FALSE(second.Listening());
    second.Close();
    EXPECT_TRUE(IpcSend("Calvorn", "Calvorn", 0, 1));
    ASSERT_TRUE(WaitForMessages(1));

    // Something else than a socket in its place is left alone.
    first.Close();
    std::ofstream(SocketFile("Calvorn")) << "not a socket";
    EXPECT_FALSE(first.Listen("Calvorn"));
    EXPECT_TRUE(fs::is_regular_file(SocketFile("Calvorn")));
}

TEST_F(IpcEndpointTest, NamesThatCannotBeSocketsAreRefused) {
    IpcEndpoint endpoint(loop, window);
    EXPECT_FALSE(endpoint.Listen(""));
    EXPECT_FALSE(endpoint.Listen("a/b"));
    ScopedEnv deep("XDG_RUNTIME_DIR", (runtime / std::string(90, 'd')).string());
    EXPECT_FALSE(endpoint.Listen("Calvorn"));  // the socket path would be too long
    EXPECT_FALSE(IpcSend("Calvorn", "Calvorn", 0, 1));
}

TEST(IpcMessageIdTest, NumbersBelowTheRegisteredRangeAreUsedAsTheyStand) {
    EXPECT_EQ(IpcMessageId("Calvorn"), RegisterWindowMessage("Calvorn"));
    EXPECT_EQ(IpcMessageId("3093"), 3093u);
    EXPECT_EQ(IpcMessageId("0"), 0u);
    EXPECT_EQ(IpcMessageId("0x10"), RegisterWindowMessage("0x10"));
    EXPECT_EQ(IpcMessageId("49152"), std::nullopt);  // registered ids differ per process
    EXPECT_EQ(IpcMessageId("99999999999999999999999"),
              RegisterWindowMessage("99999999999999999999999"));
}

}  // namespace
}  // namespace calvorn::platform
