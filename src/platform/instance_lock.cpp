#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "platform/folders.h"
#include "platform/trace.h"

namespace calvorn::platform {

InstanceLock::InstanceLock(std::string_view name) : name_(name) {}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool InstanceLock::TryAcquire() {
    if (fd_ >= 0) {
        return true;
    }
    if (!IsValidLocalName(name_)) {
        TraceFormat("invalid instance lock name '%s'", name_.c_str());
        return false;
    }
    const std::optional<std::filesystem::path> folder = RuntimeFolder();
    if (!folder) {
        return false;
    }
    const std::filesystem::path file = *folder / (name_ + ".lock");
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        TraceFormat("cannot open the instance lock %s", file.c_str());
        return false;
    }
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

}  // namespace calvorn::platform
