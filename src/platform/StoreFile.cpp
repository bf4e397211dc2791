#include "platform/StoreFile.h"

#include "platform/FileSystem.h"
#include "platform/Unicode.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace mq {

#ifdef _WIN32

std::unique_ptr<StoreFile> StoreFile::open(const std::string& path) {
    // Wide names: a store opened by path may lie where the ANSI page has no characters for.
    const HANDLE handle = CreateFileW(widePath(path).c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        throw FileOpenError(error == ERROR_SHARING_VIOLATION
                                ? "the file is in use by another program"
                                : "the file cannot be opened");
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle, &size)) {
        CloseHandle(handle);
        throw FileOpenError("the file size cannot be read");
    }
    return std::unique_ptr<StoreFile>(new StoreFile(reinterpret_cast<std::intptr_t>(handle),
                                                    static_cast<std::uint64_t>(size.QuadPart)));
}

StoreFile::~StoreFile() {
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

std::size_t StoreFile::readAt(std::uint64_t offset, std::span<std::byte> out) {
    std::size_t done = 0;
    while (done < out.size() && offset + done < size_) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset + done);
        at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 30));
        if (!ReadFile(reinterpret_cast<HANDLE>(handle_), out.data() + done, want, &n, &at)) {
            throw FileOpenError("the file cannot be read");
        }
        if (n == 0) break;
        done += n;
    }
    return done;
}

char pathSeparator() {
    return '\\';
}

#else

std::unique_ptr<StoreFile> StoreFile::open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw FileOpenError(std::strerror(errno));
    const auto fail = [fd](const char* reason) {
        close(fd);
        throw FileOpenError(reason);
    };
    struct stat status {};
    if (fstat(fd, &status) != 0) fail(std::strerror(errno));
    if (!S_ISREG(status.st_mode)) fail("not a regular file");
    // No sharing: another holder of the lock, in this process or another, keeps us out.
    // A file system that cannot lock at all does not.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) fail("the file is in use by another program");
        if (error != ENOLCK && error != EOPNOTSUPP && error != EINVAL) fail(std::strerror(error));
    }
    return std::unique_ptr<StoreFile>(
        new StoreFile(fd, static_cast<std::uint64_t>(status.st_size)));
}

StoreFile::~StoreFile() {
    close(static_cast<int>(handle_));
}

std::size_t StoreFile::readAt(std::uint64_t offset, std::span<std::byte> out) {
    std::size_t done = 0;
    while (done < out.size() && offset + done < size_) {
        const ssize_t n = pread(static_cast<int>(handle_), out.data() + done, out.size() - done,
                                static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw FileOpenError(std::string("read error: ") + std::strerror(errno));
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

char pathSeparator() {
    return '/';
}

#endif

namespace {

bool isSeparator(char c) {
    return c == pathSeparator() || c == '/';
}

#ifndef _WIN32
// Names of the folder's entries; empty when it cannot be listed.
std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.empty() ? "/" : folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = readdir(dir)) names.emplace_back(entry->d_name);
    closedir(dir);
    return names;
}
#endif

}  // namespace

std::string joinPath(const std::string& folder, const std::string& name) {
    std::string_view tail = name;
    if (!folder.empty() && isSeparator(folder.back())) {
        while (!tail.empty() && isSeparator(tail.front())) tail.remove_prefix(1);
        return folder + std::string(tail);
    }
    if (!tail.empty() && isSeparator(tail.front())) return folder + name;
    return folder + pathSeparator() + name;
}

std::string findFileIgnoringCase(const std::string& folder, const std::string& name) {
    const std::string exact = joinPath(folder, name);
#ifndef _WIN32
    struct stat status {};
    if (stat(exact.c_str(), &status) == 0) return exact;
    std::u16string wanted;
    utf8ToUtf16(name, wanted);
    std::string match;
    int matches = 0;
    for (const std::string& entry : folderEntries(folder)) {
        std::u16string candidate;
        utf8ToUtf16(entry, candidate);
        if (compareIgnoringCase(candidate, wanted) == 0) {
            match = entry;
            ++matches;
        }
    }
    // Two names that differ only in case leave no way to choose: take neither.
    if (matches == 1) return joinPath(folder, match);
#endif
    return exact;  // Windows finds names ignoring case by itself
}

}  // namespace mq
