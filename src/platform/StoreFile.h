#pragma once

#include "platform/ByteSource.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace mq {

// Why a store file could not be opened.
class FileOpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A store file opened for reading with no sharing (CreateFileW, share mode 0). Elsewhere:
// open read-only plus flock(LOCK_EX | LOCK_NB); a file another process holds locked does
// not open, a file system that cannot lock at all still opens. As with share mode 0, a
// second open of a file this process holds open fails too, until the first is closed.
// Paths are UTF-8 (reaching Windows as wide characters).
class StoreFile : public ByteSource {
public:
    // Throws FileOpenError.
    static std::unique_ptr<StoreFile> open(const std::string& path);
    ~StoreFile() override;

    std::uint64_t size() const override { return size_; }
    // A failing read raises FileOpenError rather than passing for the end of the file.
    std::size_t readAt(std::uint64_t offset, std::span<std::byte> out) override;

private:
    StoreFile(std::intptr_t handle, std::uint64_t size) : handle_(handle), size_(size) {}
    std::intptr_t handle_;  // file descriptor, or HANDLE on Windows
    std::uint64_t size_;
};

// The platform's path separator: '\' on Windows, '/' elsewhere.
char pathSeparator();
// folder + separator (unless folder already ends in one) + name. An empty folder gives
// separator + name, as the store lookup expects.
std::string joinPath(const std::string& folder, const std::string& name);
// The file `name` in `folder` as Windows would find it: the exact name when it exists, else
// the one entry of the folder that matches ignoring letter case; the exact join otherwise
// (no entry, or several that differ only in case).
std::string findFileIgnoringCase(const std::string& folder, const std::string& name);

}  // namespace mq
