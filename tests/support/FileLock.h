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

// Makes every write past `bytes` fail in this process, as a full disk would. Only POSIX
// systems limit the size of the files a process writes; elsewhere `supported` is false and
// tests that need a limit are skipped.
class FileSizeLimit {
public:
#ifdef _WIN32
    static constexpr bool supported = false;
#else
    static constexpr bool supported = true;
#endif
    static constexpr const char* unsupportedReason =
        "Windows has no per-process file-size limit to make a write fail part-way";

    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    std::uint64_t previousSoft_ = 0;
    void (*previousHandler_)(int) = nullptr;
};

}  // namespace mq::test
