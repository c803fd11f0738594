#include "platform/FileLock.h"

#include <utility>

namespace rendix::platform {

FileLock::~FileLock() {
    release();
}

FileLock::FileLock(FileLock&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_guarded(std::move(other.m_guarded)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        release();
        m_fd = std::exchange(other.m_fd, -1);
        m_guarded = std::move(other.m_guarded);
    }
    return *this;
}

}  // namespace rendix::platform
