#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

namespace calvorn::platform {

namespace fs = std::filesystem;

namespace {

// Closes a file descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // Closes now and reports whether the close succeeded (it can report a late write error).
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// Opens a new, uniquely named temporary file next to `path`.
int CreateTemporaryFile(const fs::path& path, fs::path& temporary) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = path;
        temporary += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

void SyncFolder(const fs::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

bool WriteFileAtomically(const fs::path& path, std::string_view bytes) {
    fs::path temporary;
    FileDescriptor file(CreateTemporaryFile(path, temporary));
    if (file.get() < 0) {
        return false;
    }
    struct stat old {};
    bool ok = true;
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ok = ::fchmod(file.get(), old.st_mode & 07777) == 0;
    }
    ok = ok && WriteAll(file.get(), bytes) && ::fsync(file.get()) == 0;
    ok = file.Close() && ok;
    ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(path.parent_path());
    return true;
}

std::optional<std::string> ReadWholeFile(const fs::path& path, std::size_t max_bytes) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::size_t>(info.st_size) > max_bytes) {
        return std::nullopt;
    }
    std::string content;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        if (got == 0) {
            return content;
        }
        if (content.size() + static_cast<size_t>(got) > max_bytes) {
            return std::nullopt;  // the file grew while we read it
        }
        content.append(buffer, static_cast<size_t>(got));
    }
}

}  // namespace calvorn::platform
