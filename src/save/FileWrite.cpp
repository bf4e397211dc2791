#include "save/FileWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

namespace mq {

namespace {

bool writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        content.remove_prefix(std::size_t(written));
    }
    return true;
}

// Writes and closes; on any failure the file is removed. Returns the failure's errno, or 0.
int fillAndClose(int fd, const std::string& path, std::string_view content, bool flush) {
    int error = 0;
    if (!writeAll(fd, content) || (flush && ::fsync(fd) != 0)) error = errno ? errno : EIO;
    if (::close(fd) != 0 && error == 0) error = errno ? errno : EIO;
    if (error != 0) ::unlink(path.c_str());
    return error;
}

}  // namespace

void terminateLastLine(std::string& text) {
    if (!text.ends_with("\r\n")) text += "\r\n";
}

bool writeNewFile(const std::string& path, std::string_view content) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    return fillAndClose(fd, path, content, false) == 0;
}

ReplaceResult replaceFile(const std::string& path, std::string_view content) {
    const auto failed = [](bool created) { return ReplaceResult{created, errno ? errno : EIO}; };
    // A link is followed, so the file it names is replaced and the link stays.
    std::string target = path;
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists) {
        if (!S_ISREG(old.st_mode)) return {false, EISDIR};
        if (::access(path.c_str(), W_OK) != 0) return failed(false);
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) == nullptr) return failed(false);
        target = resolved;
    }

    // A short name in the target's folder, so the rename stays on one file system and a
    // long target name cannot make the temporary one too long.
    const std::string folder = target.substr(0, target.find_last_of('/') + 1);
    int fd = -1;
    std::string temporary;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = folder + ".mailquarry-" + std::to_string(::getpid()) + "-" +
                    std::to_string(attempt) + ".tmp";
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return failed(false);
    }
    if (fd < 0) return failed(false);
    // The replacement keeps the old file's permissions, and reaches the disk before it takes
    // the old file's place; a new file needs no such care.
    if (exists && ::fchmod(fd, old.st_mode & 07777) != 0) {
        const ReplaceResult result = failed(true);
        ::close(fd);
        ::unlink(temporary.c_str());
        return result;
    }
    if (const int error = fillAndClose(fd, temporary, content, exists)) return {true, error};
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const ReplaceResult result = failed(true);
        ::unlink(temporary.c_str());
        return result;
    }
    return {true, 0};
}

}  // namespace mq
