#pragma once

#include <cstdint>
#include <filesystem>

namespace mq::test {

// Holds a file as the running mail client does: while it is held, the store reader cannot
// open it. Windows: open with no sharing; elsewhere: an exclusive flock.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    std::intptr_t handle_;
};

}  // namespace mq::test
