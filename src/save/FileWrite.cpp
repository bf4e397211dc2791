#include "save/FileWrite.h"

#include "platform/FileSystem.h"
#include "platform/TemporaryFile.h"

#include <cerrno>
#include <string>
#include <utility>

namespace mq {

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

NewFile::NewFile(const std::string& path) : path_(path), fd_(createNewFile(path)) {
    if (fd_ < 0) error_ = errno ? errno : EIO;
}

NewFile::~NewFile() {
    if (fd_ < 0) return;
    closeFile(fd_);
    removeFile(path_);
}

void NewFile::append(std::string_view content) {
    if (fd_ >= 0 && error_ == 0 && !writeAll(fd_, content)) error_ = errno ? errno : EIO;
}

bool NewFile::close() {
    if (fd_ < 0) return false;
    const int fd = std::exchange(fd_, -1);
    const int closed = closeFile(fd);
    if (error_ == 0) error_ = closed;
    if (error_ != 0) removeFile(path_);
    return error_ == 0;
}

FileReplacement::FileReplacement(const std::string& path) : target_(path) {
    const ReplaceableFile old = replaceableFile(path);
    const bool exists = old.error != ENOENT;
    if (exists) {
        if (old.error != 0) {
            state_ = {false, old.error};
            return;
        }
        target_ = old.path;
    }
    flush_ = exists;

    // In the target's folder, so the rename stays on one file system.
    const std::string folder = folderOf(target_);
    removeLeftoverTemporaryFiles(folder);
    fd_ = createTemporaryFile(folder, 0666, temporary_);
    if (fd_ < 0) {
        const int error = errno ? errno : EIO;
        // A folder that takes no new file may still hold a target the user may write: the
        // content then waits in a file of the system's until it is complete, and overwrites
        // the target in place.
        if (exists) spool_ = openSpoolFile();
        if (!spool_) state_ = {false, error};
        state_.created = spool_ != nullptr;
        return;
    }
    state_.created = true;
    // The replacement keeps the old file's permissions.
    if (exists) state_.error = setPermissions(fd_, old.mode);
}

FileReplacement::~FileReplacement() {
    if (spool_) std::fclose(spool_);
    if (fd_ < 0) return;
    closeFile(fd_);
    removeFile(temporary_);
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
    if (state_.error == 0 && flush_) state_.error = syncFile(fd);
    const int closed = closeFile(fd);
    if (state_.error == 0) state_.error = closed;
    if (state_.error == 0) state_.error = replaceFileWith(temporary_, target_);
    if (state_.error != 0) removeFile(temporary_);
    return state_;
}

ReplaceResult replaceFile(const std::string& path, std::string_view content) {
    FileReplacement file(path);
    file.append(content);
    return file.commit();
}

}  // namespace mq
