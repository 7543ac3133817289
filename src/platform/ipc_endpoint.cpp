#include "platform/ipc_endpoint.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <utility>

#include "platform/folders.h"
#include "platform/ipc_datagram.h"
#include "platform/trace.h"

namespace calvorn::platform {

namespace fs = std::filesystem;

namespace {

// The value of a name made only of decimal digits; empty for any other name or on overflow.
std::optional<std::uint64_t> DecimalNumber(std::string_view name) {
    std::uint64_t value = 0;
    if (name.empty() || name.size() > 19) {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), value);
    if (error != std::errc() || end != name.data() + name.size()) {
        return std::nullopt;
    }
    return value;
}

class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

bool MakeAddress(const fs::path& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    const std::string& text = path.native();
    if (text.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return true;
}

// Removes the socket file at `path` when no process receives on it any more.
bool RemoveStaleSocket(const fs::path& path, const sockaddr_un& address) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)) {
        return false;
    }
    Socket probe(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (probe.get() < 0) {
        return false;
    }
    if (::connect(probe.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ||
        errno != ECONNREFUSED) {
        return false;
    }
    return ::unlink(path.c_str()) == 0;
}

}  // namespace

std::optional<MessageId> IpcMessageId(std::string_view name) {
    if (const std::optional<std::uint64_t> number = DecimalNumber(name)) {
        if (*number >= kFirstRegisteredMessage) {
            return std::nullopt;
        }
        return static_cast<MessageId>(*number);
    }
    return RegisterWindowMessage(name);
}

std::optional<fs::path> IpcSocketPath(std::string_view endpoint) {
    if (!IsValidLocalName(endpoint)) {
        return std::nullopt;
    }
    const std::optional<fs::path> folder = RuntimeFolder();
    if (!folder) {
        return std::nullopt;
    }
    fs::path path = *folder / (std::string(endpoint) + ".sock");
    sockaddr_un address;
    if (!MakeAddress(path, address)) {
        return std::nullopt;
    }
    return path;
}

bool IpcSend(std::string_view endpoint, std::string_view name, WParam wparam, LParam lparam,
             std::span<const std::uint8_t> payload) {
    const std::optional<std::vector<std::uint8_t>> bytes = EncodeIpcDatagram(
        IpcDatagram{std::string(name), wparam, lparam, {payload.begin(), payload.end()}});
    if (!bytes) {
        TraceFormat("IPC: cannot send '%.*s': invalid name or payload too large",
                    static_cast<int>(name.size()), name.data());
        return false;
    }
    const std::optional<fs::path> path = IpcSocketPath(endpoint);
    sockaddr_un address;
    if (!path || !MakeAddress(*path, address)) {
        TraceFormat("IPC: no usable socket path for endpoint '%.*s'",
                    static_cast<int>(endpoint.size()), endpoint.data());
        return false;
    }
    Socket socket(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (socket.get() < 0) {
        TraceFormat("IPC: cannot create a socket: %s", ErrorText(errno).c_str());
        return false;
    }
    const timeval timeout{1, 0};
    ::setsockopt(socket.get(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    ssize_t sent;
    do {
        sent = ::sendto(socket.get(), bytes->data(), bytes->size(), MSG_NOSIGNAL,
                        reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (sent < 0 && errno == EINTR);
    if (sent == static_cast<ssize_t>(bytes->size())) {
        return true;
    }
    if (sent < 0 && (errno == ENOENT || errno == ECONNREFUSED)) {
        return false;  // nobody listens on the endpoint
    }
    TraceFormat("IPC: sending to '%s' failed: %s", path->c_str(),
                sent < 0 ? ErrorText(errno).c_str() : "short send");
    return false;
}

struct IpcEndpoint::Receiver {
    std::string name;
    fs::path path;
    dev_t device = 0;
    ino_t inode = 0;
    int socket_fd = -1;
    int wake_fd = -1;

    ~Receiver() {
        if (socket_fd >= 0) {
            ::close(socket_fd);
        }
        if (wake_fd >= 0) {
            ::close(wake_fd);
        }
    }
    void Wake() const {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wake_fd, &one, sizeof one);
    }
};

bool IpcEndpoint::Filter::Admits(std::string_view name) const {
    std::lock_guard lock(mutex);
    if (const std::optional<std::uint64_t> number = DecimalNumber(name)) {
        return numbers.contains(*number);
    }
    return names.contains(name);
}

IpcEndpoint::IpcEndpoint(UiLoop& loop, WindowHandle window)
    : loop_(loop),
      window_(window),
      filter_(std::make_shared<Filter>()),
      thread_(StopTexts::kSilent, &loop) {}

IpcEndpoint::~IpcEndpoint() {
    Close();
}

void IpcEndpoint::Admit(std::string_view name) {
    if (!IsValidIpcMessageName(name)) {
        return;
    }
    std::lock_guard lock(filter_->mutex);
    if (const std::optional<std::uint64_t> number = DecimalNumber(name)) {
        filter_->numbers.insert(*number);
    } else {
        filter_->names.emplace(name);
    }
}

bool IpcEndpoint::Listen(std::string_view name) {
    Close();
    const std::optional<fs::path> path = IpcSocketPath(name);
    sockaddr_un address;
    if (!path || !MakeAddress(*path, address)) {
        TraceFormat("IPC: cannot listen on '%.*s': invalid name or no runtime folder",
                    static_cast<int>(name.size()), name.data());
        return false;
    }
    Socket socket(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    const auto* generic = reinterpret_cast<const sockaddr*>(&address);
    int error = 0;
    if (socket.get() < 0) {
        error = errno;
    } else if (::bind(socket.get(), generic, sizeof address) != 0) {
        error = errno;
        if (error == EADDRINUSE && RemoveStaleSocket(*path, address)) {
            error = ::bind(socket.get(), generic, sizeof address) == 0 ? 0 : errno;
        }
    }
    if (error != 0) {
        TraceFormat("IPC: cannot listen on '%s': %s", path->c_str(),
                    error == EADDRINUSE ? "another process listens there, or it is not a socket"
                                        : ErrorText(error).c_str());
        return false;
    }
    auto receiver = std::make_shared<Receiver>();
    receiver->name = std::string(name);
    receiver->path = *path;
    receiver->socket_fd = socket.release();
    receiver->wake_fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    struct stat info {};
    if (::chmod(path->c_str(), 0600) != 0 || ::stat(path->c_str(), &info) != 0 ||
        receiver->wake_fd < 0) {
        TraceFormat("IPC: cannot set up '%s': %s", path->c_str(), ErrorText(errno).c_str());
        ::unlink(path->c_str());
        return false;
    }
    receiver->device = info.st_dev;
    receiver->inode = info.st_ino;

    std::shared_ptr<const Filter> filter = filter_;
    UiLoop& loop = loop_;
    const WindowHandle window = window_;
    const bool started = thread_.Start(
        [receiver, filter, &loop, window](ManualResetEvent& stop) {
            Receive(receiver, filter, loop, window, stop);
        },
        [receiver] { receiver->Wake(); });
    if (!started) {
        ::unlink(path->c_str());
        return false;
    }
    receiver_ = std::move(receiver);
    return true;
}

void IpcEndpoint::Close() {
    thread_.Stop();
    if (!receiver_) {
        return;
    }
    // Remove the socket file only while it is still ours; a later listener may have replaced it.
    struct stat info {};
    if (::stat(receiver_->path.c_str(), &info) == 0 && info.st_dev == receiver_->device &&
        info.st_ino == receiver_->inode) {
        ::unlink(receiver_->path.c_str());
    }
    receiver_.reset();
}

void IpcEndpoint::Receive(const std::shared_ptr<Receiver>& receiver,
                          const std::shared_ptr<const Filter>& filter, UiLoop& loop,
                          WindowHandle window, const ManualResetEvent& stop) {
    const char* const endpoint = receiver->name.c_str();
    std::vector<std::uint8_t> buffer(kIpcMaxDatagramBytes);
    while (!stop.IsSet()) {
        pollfd fds[2] = {{receiver->socket_fd, POLLIN, 0}, {receiver->wake_fd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            TraceFormat("IPC %s: poll failed: %s", endpoint, ErrorText(errno).c_str());
            return;
        }
        if (stop.IsSet() || fds[1].revents != 0) {
            return;
        }
        // MSG_TRUNC makes recv report the full size of a datagram longer than the buffer.
        const ssize_t size =
            ::recv(receiver->socket_fd, buffer.data(), buffer.size(), MSG_TRUNC | MSG_DONTWAIT);
        if (size < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            TraceFormat("IPC %s: receive failed: %s", endpoint, ErrorText(errno).c_str());
            return;
        }
        if (static_cast<std::size_t>(size) > buffer.size()) {
            TraceFormat("IPC %s: dropped a datagram: %zd bytes is too long", endpoint, size);
            continue;
        }
        const char* reason = "";
        std::optional<IpcDatagram> datagram = DecodeIpcDatagram(
            std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(size)), &reason);
        if (!datagram) {
            TraceFormat("IPC %s: dropped a datagram: %s", endpoint, reason);
            continue;
        }
        if (!filter->Admits(datagram->name)) {
            TraceFormat("IPC %s: dropped message '%s': not admitted", endpoint,
                        datagram->name.c_str());
            continue;
        }
        if (datagram->payload.empty()) {
            if (const std::optional<MessageId> id = IpcMessageId(datagram->name)) {
                loop.PostMessage(window, *id, datagram->wparam, datagram->lparam);
            } else {
                TraceFormat("IPC %s: dropped message '%s': number in the registered range",
                            endpoint, datagram->name.c_str());
            }
            continue;
        }
        CopyDataMessage copy{std::move(datagram->name), datagram->wparam, datagram->lparam,
                             std::move(datagram->payload)};
        loop.SendMessage(window, kMsgCopyData, 0, reinterpret_cast<LParam>(&copy));
    }
}

}  // namespace calvorn::platform
