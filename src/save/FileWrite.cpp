#include "save/FileWrite.h"

#include "platform/TemporaryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdio>
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

// Writes the whole of `content` over the file at `path`, which keeps its identity, so its
// hard links see the new content too. Room for a longer content is taken first: a disk too
// full for it leaves the old content as it was. Returns the failure's errno, or 0.
int overwriteInPlace(std::FILE* content, const std::string& path) {
    if (std::fflush(content) != 0 || std::fseek(content, 0, SEEK_END) != 0) return EIO;
    const off_t size = ::ftello(content);
    std::rewind(content);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return errno ? errno : EIO;
    struct stat old {};
    int error = ::fstat(fd, &old) != 0 ? errno : 0;
    if (error == 0 && size > old.st_size) {
        error = ::posix_fallocate(fd, old.st_size, size - old.st_size);
        if (error != 0 && ::ftruncate(fd, old.st_size) != 0) error = errno;
    }
    char buffer[64 * 1024];
    for (off_t at = 0; error == 0 && at < size;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, content);
        if (n == 0 || !writeAll(fd, std::string_view(buffer, n))) error = errno ? errno : EIO;
        at += static_cast<off_t>(n);
    }
    if (error == 0 && (::ftruncate(fd, size) != 0 || ::fsync(fd) != 0)) error = errno ? errno : EIO;
    if (::close(fd) != 0 && error == 0) error = errno ? errno : EIO;
    return error;
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
    const auto failed = [this](int error) { state_ = {false, error ? error : EIO}; };
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
            failed(errno);
            return;
        }
        target_ = resolved;
    }
    flush_ = exists;

    // In the target's folder, so the rename stays on one file system.
    const std::string folder = target_.substr(0, target_.find_last_of('/') + 1);
    removeLeftoverTemporaryFiles(folder);
    fd_ = createTemporaryFile(folder, 0666, temporary_);
    if (fd_ < 0) {
        const int error = errno;
        // A folder that takes no new file may still hold a target the user may write: the
        // content then waits in a file of the system's until it is complete, and overwrites
        // the target in place.
        if (exists) spool_ = std::tmpfile();
        if (!spool_) failed(error);
        state_.created = spool_ != nullptr;
        return;
    }
    state_.created = true;
    // The replacement keeps the old file's permissions.
    if (exists && ::fchmod(fd_, old.st_mode & 07777) != 0) state_.error = errno ? errno : EIO;
}

FileReplacement::~FileReplacement() {
    if (spool_) std::fclose(spool_);
    if (fd_ < 0) return;
    ::close(fd_);
    ::unlink(temporary_.c_str());
}

void FileReplacement::append(std::string_view content) {
    if (state_.error != 0) return;
    if (spool_) {
        if (std::fwrite(content.data(), 1, content.size(), spool_) != content.size())
            state_.error = errno ? errno : EIO;
        return;
    }
    if (fd_ < 0) return;
    if (!writeAll(fd_, content)) state_.error = errno ? errno : EIO;
}

ReplaceResult FileReplacement::commit() {
    if (spool_) {
        if (state_.error == 0) state_.error = overwriteInPlace(spool_, target_);
        std::fclose(std::exchange(spool_, nullptr));
        return state_;
    }
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
