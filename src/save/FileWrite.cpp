#include "save/FileWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <utility>

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

}  // namespace

void terminateLastLine(std::string& text) {
    if (!text.ends_with("\r\n")) text += "\r\n";
}

bool writeNewFile(const std::string& path, std::string_view content, int* error) {
    NewFile file(path);
    file.append(content);
    const bool written = file.close();
    if (error != nullptr) *error = file.error();
    return written;
}

NewFile::NewFile(const std::string& path)
    : path_(path), fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666)) {
    if (fd_ < 0) error_ = errno ? errno : EIO;
}

NewFile::~NewFile() {
    if (fd_ < 0) return;
    ::close(fd_);
    ::unlink(path_.c_str());
}

void NewFile::append(std::string_view content) {
    if (fd_ >= 0 && error_ == 0 && !writeAll(fd_, content)) error_ = errno ? errno : EIO;
}

bool NewFile::close() {
    if (fd_ < 0) return false;
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 && error_ == 0) error_ = errno ? errno : EIO;
    if (error_ != 0) ::unlink(path_.c_str());
    return error_ == 0;
}

FileReplacement::FileReplacement(const std::string& path) : target_(path) {
    const auto failed = [this] { state_ = {false, errno ? errno : EIO}; };
    // A link is followed, so the file it names is replaced and the link stays.
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists) {
        if (!S_ISREG(old.st_mode)) {
            state_ = {false, EISDIR};
            return;
        }
        char resolved[PATH_MAX];
        if (::access(path.c_str(), W_OK) != 0 || ::realpath(path.c_str(), resolved) == nullptr) {
            failed();
            return;
        }
        target_ = resolved;
    }
    flush_ = exists;

    // A short name in the target's folder, so the rename stays on one file system and a
    // long target name cannot make the temporary one too long.
    const std::string folder = target_.substr(0, target_.find_last_of('/') + 1);
    for (int attempt = 0; fd_ < 0 && attempt < 100; ++attempt) {
        temporary_ = folder + ".mailquarry-" + std::to_string(::getpid()) + "-" +
                     std::to_string(attempt) + ".tmp";
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
        failed();
        return;
    }
    state_.created = true;
    // The replacement keeps the old file's permissions.
    if (exists && ::fchmod(fd_, old.st_mode & 07777) != 0) state_.error = errno ? errno : EIO;
}

FileReplacement::~FileReplacement() {
    if (fd_ < 0) return;
    ::close(fd_);
    ::unlink(temporary_.c_str());
}

void FileReplacement::append(std::string_view content) {
    if (fd_ < 0 || state_.error != 0) return;
    if (!writeAll(fd_, content)) state_.error = errno ? errno : EIO;
}

ReplaceResult FileReplacement::commit() {
    if (fd_ < 0) return state_;
    const int fd = std::exchange(fd_, -1);
    // A replacement reaches the disk before it takes the old file's place; a new file needs
    // no such care.
    if (state_.error == 0 && flush_ && ::fsync(fd) != 0) state_.error = errno ? errno : EIO;
    if (::close(fd) != 0 && state_.error == 0) state_.error = errno ? errno : EIO;
    if (state_.error == 0 && ::rename(temporary_.c_str(), target_.c_str()) != 0)
        state_.error = errno ? errno : EIO;
    if (state_.error != 0) ::unlink(temporary_.c_str());
    return state_;
}

ReplaceResult replaceFile(const std::string& path, std::string_view content) {
    FileReplacement file(path);
    file.append(content);
    return file.commit();
}

}  // namespace mq
