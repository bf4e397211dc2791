#pragma once

#include "support/Environment.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace mq::test {

// Makes every write past `bytes` fail in this process, as a full disk would. Only POSIX
// systems limit the size of the files a process writes; elsewhere `supported` is false and
// tests that need a limit are skipped.
class FileSizeLimit {
public:
    static constexpr bool supported = !onWindows;
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

// A file system of `bytes` (read-only if asked) mounted over `folder` in a mount namespace
// of this process's own, so nothing outside sees it and it goes with the process. Mounting
// needs the right to, and Linux; where either is missing nothing is mounted and
// whyNotMounted() says why.
class SmallFileSystem {
public:
    SmallFileSystem(const std::filesystem::path& folder, std::size_t bytes, bool readOnly);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;
    bool mounted() const { return mounted_; }
    const char* whyNotMounted() const;

private:
    std::filesystem::path folder_;
    bool mounted_ = false;
};

}  // namespace mq::test
