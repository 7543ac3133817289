#pragma once

// The local IPC endpoint: how messages travel between processes where a Windows build posts
// registered messages to another program's window (BroadcastSystemMessage, PostMessage to a
// window found by title, WM_COPYDATA).
//
// An endpoint named X is a Unix datagram socket <runtime folder>/X.sock with mode 0600 in the
// user's private runtime folder, so only the same user can reach it. "Posting to the window
// titled X" becomes IpcSend("X", ...). Each datagram carries one message in the format of
// ipc_datagram.h (docs/ipc.md). The endpoint delivers each datagram to one UiLoop window:
//
// - without payload: PostMessage(window, id, wParam, lParam), where id is the message number
//   itself when the name is a decimal number below kFirstRegisteredMessage, else
//   RegisterWindowMessage(name);
// - with payload: SendMessage(window, kMsgCopyData, 0, lParam) with lParam pointing to a
//   CopyDataMessage that is valid only during the call (the WM_COPYDATA equivalent).
//
// Like the message filter of a Windows window, the endpoint delivers only messages whose names
// were admitted with Admit(); everything else, and every malformed datagram, is dropped with a
// trace line. Without the filter any local program could post internal messages whose lParam
// the window takes for a pointer.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/thread_slot.h"
#include "platform/ui_loop.h"

namespace calvorn::platform {

// What a kMsgCopyData message's lParam points to.
struct CopyDataMessage {
    std::string message_name;
    WParam wparam = 0;
    LParam lparam = 0;
    std::vector<std::uint8_t> payload;
};

// The window message a datagram named `name` is delivered as, or empty when `name` is a
// decimal number in the registered range (registered ids are private to each process).
std::optional<MessageId> IpcMessageId(std::string_view name);

// The socket path of endpoint `endpoint`, or empty when the name is invalid, the runtime
// folder is unusable or the path is too long for a socket address.
std::optional<std::filesystem::path> IpcSocketPath(std::string_view endpoint);

// Sends one message to the endpoint named `endpoint`. False when nobody listens there, when
// the name or payload does not fit the wire format, or when the send fails (traced). Waits at
// most about a second for room in a full receive queue.
bool IpcSend(std::string_view endpoint, std::string_view name, WParam wparam, LParam lparam,
             std::span<const std::uint8_t> payload = {});

class IpcEndpoint {
public:
    // Messages go to `window` of `loop`. The loop must outlive the endpoint. Destroy (or
    // Close) the endpoint on the loop's UI thread, or while the UI thread keeps pumping, because
    // its receive thread may be waiting in SendMessage for a payload delivery.
    IpcEndpoint(UiLoop& loop, WindowHandle window);
    ~IpcEndpoint();
    IpcEndpoint(const IpcEndpoint&) = delete;
    IpcEndpoint& operator=(const IpcEndpoint&) = delete;

    // Lets messages named `name` through (see above). Any thread, before or after Listen().
    void Admit(std::string_view name);

    // Binds the endpoint's socket and starts the receive thread. A socket file left behind by
    // a process that ended is replaced. False when the name is invalid, another process
    // listens on the name, or the socket cannot be set up (traced).
    bool Listen(std::string_view name);
    // Stops the receive thread and removes the socket file. Listen() may be called again.
    void Close();
    bool Listening() const { return receiver_ != nullptr; }

private:
    struct Receiver;
    struct Filter {
        mutable std::mutex mutex;
        std::set<std::string, std::less<>> names;  // registered names
        std::set<std::uint64_t> numbers;           // decimal message numbers
        bool Admits(std::string_view name) const;
    };

    static void Receive(const std::shared_ptr<Receiver>& receiver,
                        const std::shared_ptr<const Filter>& filter, UiLoop& loop,
                        WindowHandle window, const ManualResetEvent& stop);

    UiLoop& loop_;
    const WindowHandle window_;
    std::shared_ptr<Filter> filter_;
    std::shared_ptr<Receiver> receiver_;
    ThreadSlot thread_;
};

}  // namespace calvorn::platform
