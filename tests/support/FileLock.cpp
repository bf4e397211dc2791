#include "support/FileLock.h"

#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace mq::test {

#ifdef _WIN32

FileLock::FileLock(const std::filesystem::path& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot lock " + path.string());
    handle_ = reinterpret_cast<std::intptr_t>(file);
}

FileLock::~FileLock() {
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

#else

FileLock::FileLock(const std::filesystem::path& path)
    : handle_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (handle_ < 0 || ::flock(static_cast<int>(handle_), LOCK_EX | LOCK_NB) != 0) {
        if (handle_ >= 0) ::close(static_cast<int>(handle_));
        throw std::runtime_error("cannot lock " + path.string());
    }
}

FileLock::~FileLock() {
    ::close(static_cast<int>(handle_));
}

#endif

}  // namespace mq::test
