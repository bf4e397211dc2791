#include "platform/TemporaryFile.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <string_view>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace mq {

namespace {

constexpr std::string_view Prefix = ".mailquarry-";
constexpr std::string_view Suffix = ".tmp";
constexpr int Attempts = 100;

bool isDigits(std::string_view s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// ".mailquarry-<digits>-<digits>.tmp" and nothing else.
bool isTemporaryName(std::string_view name) {
    if (!name.starts_with(Prefix) || !name.ends_with(Suffix)) return false;
    name = name.substr(Prefix.size(), name.size() - Prefix.size() - Suffix.size());
    const std::size_t dash = name.find('-');
    return dash != std::string_view::npos && isDigits(name.substr(0, dash)) &&
           isDigits(name.substr(dash + 1));
}

// `name` in `folder` (empty: the current folder).
std::string inFolder(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
    return path.append(name);
}

std::string namePrefix(const std::string& folder, long process) {
    return inFolder(folder, Prefix).append(std::to_string(process)).append("-");
}

}  // namespace

#ifdef _WIN32

int createTemporaryFile(const std::string& folder, unsigned, std::string& path) {
    const std::string prefix = namePrefix(folder, currentProcessId());
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        path = prefix + std::to_string(attempt) + std::string(Suffix);
        int fd = -1;
        // No sharing: nobody else can open the file, nor delete it, while it is written.
        const errno_t error = _wsopen_s(&fd, widePath(path).c_str(),
                                        _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                                        _SH_DENYRW, _S_IREAD | _S_IWRITE);
        if (error == 0) return fd;
        errno = error;
        if (error != EEXIST) return -1;
    }
    errno = EEXIST;
    return -1;
}

namespace {

// A file being written is open without sharing, so removing it fails.
void removeIfLeftover(const std::string& path) {
    removeFile(path);
}

}  // namespace

#else

int createTemporaryFile(const std::string& folder, unsigned mode, std::string& path) {
    const std::string prefix = namePrefix(folder, currentProcessId());
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        path = prefix + std::to_string(attempt) + std::string(Suffix);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return -1;
        }
        // Another run tidying the folder may have taken the file for a leftover in the moment
        // before it was locked; then it is gone, and another name is tried.
        struct stat status {};
        if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &status) == 0 && status.st_nlink == 0) {
            ::close(fd);
            continue;
        }
        return fd;
    }
    errno = EEXIST;
    return -1;
}

namespace {

// Only a plain file that nobody holds locked, and that still bears the name, goes.
void removeIfLeftover(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    struct stat opened {
    }, named{};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
        S_ISREG(opened.st_mode) && ::lstat(path.c_str(), &named) == 0 &&
        named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
        ::unlink(path.c_str());
    ::close(fd);
}

}  // namespace

#endif

void removeLeftoverTemporaryFiles(const std::string& folder) {
    listFiles(folder, [&folder](const std::string& name) {
        if (isTemporaryName(name)) removeIfLeftover(inFolder(folder, name));
    });
}

}  // namespace mq
