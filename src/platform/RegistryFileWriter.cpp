// The writing half of RegistryFile: values in the file's form, and the file replaced whole.
#include "platform/RegistryFile.h"

#include "platform/RegistryError.h"
#include "platform/RegistryFileFormat.h"
#include "platform/TemporaryFile.h"
#include "platform/Unicode.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace mq {

namespace {

std::string quote(std::string_view utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + '"';
}

std::string hexBytes(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (i > 0) out += ',';
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// A text value as the file holds it: quoted, or as UTF-16LE bytes when it holds a character
// a quoted text cannot carry.
std::string encodeText(std::string_view utf8) {
    if (utf8.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos) {
        return quote(utf8);
    }
    std::string bytes;
    std::u16string text;
    utf8ToUtf16(utf8, text);
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return "hex(1):" + hexBytes(bytes + std::string(2, '\0'));
}

[[noreturn]] void throwWriteError(const std::filesystem::path& path, const std::string& reason) {
    throw RegistryError("Cannot write the registry file " + path.string() + ": " + reason);
}

[[noreturn]] void throwWriteError(const std::filesystem::path& path, int error) {
    throwWriteError(path, std::strerror(error));
}

// The file that a write through `path` replaces: the end of its chain of links, whether or
// not that end exists yet.
std::filesystem::path linkTarget(std::filesystem::path path) {
    constexpr int MaxLinks = 40;
    std::error_code ec;
    for (int hops = 0; hops < MaxLinks && std::filesystem::is_symlink(path, ec); ++hops) {
        const std::filesystem::path next = std::filesystem::read_symlink(path, ec);
        if (ec) break;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

// A file the user made read-only is theirs to keep as it is; one yet to be made is not.
bool isReadOnly(const std::filesystem::path& file) {
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesA(file.string().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
#else
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) return false;
    return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
           ::access(file.c_str(), W_OK) != 0;
#endif
}

// Replaces the file by `bytes` so that a crash leaves either the old or the new file. The
// new content goes into a temporary file beside it, renamed over it once complete; what
// earlier, interrupted writes left there goes first.
void writeAtomically(const std::filesystem::path& path, const std::string& bytes) {
    // Through a link the file it names is written, and made if need be; the link stays.
    const std::filesystem::path target = linkTarget(path);
    if (isReadOnly(target)) throwWriteError(target, "the file is read-only");
    const std::filesystem::path folder = target.parent_path();
    std::error_code ec;
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, ec);
        if (ec) throwWriteError(path, ec.message());
    }
    removeLeftoverTemporaryFiles(folder.string());
    std::string temp;
    const int fd = createTemporaryFile(folder.string(), 0600, temp);
    if (fd < 0) throwWriteError(path, errno);
#ifdef _WIN32
    const auto fail = [&](int error) {
        _close(fd);
        _unlink(temp.c_str());
        throwWriteError(path, error);
    };
    for (std::size_t done = 0; done < bytes.size();) {
        const unsigned chunk =
            static_cast<unsigned>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        const int n = _write(fd, bytes.data() + done, chunk);
        if (n <= 0) fail(n < 0 ? errno : EIO);
        done += static_cast<std::size_t>(n);
    }
    if (_commit(fd) != 0) fail(errno);
    if (_close(fd) != 0) {
        _unlink(temp.c_str());
        throwWriteError(path, errno);
    }
    if (!MoveFileExA(temp.c_str(), target.string().c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        _unlink(temp.c_str());
        throwWriteError(path, EIO);
    }
#else
    const auto fail = [&](int error) {
        close(fd);
        unlink(temp.c_str());
        throwWriteError(path, error);
    };
    struct stat old {};
    if (stat(target.c_str(), &old) == 0) fchmod(fd, old.st_mode & 07777);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail(n < 0 ? errno : EIO);
        done += static_cast<std::size_t>(n);
    }
    if (fsync(fd) != 0) fail(errno);
    if (close(fd) != 0) {
        const int error = errno;
        unlink(temp.c_str());
        throwWriteError(path, error);
    }
    if (rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        unlink(temp.c_str());
        throwWriteError(path, error);
    }
    // Make the rename itself durable.
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
#endif
}
}  // namespace

void RegistryFile::apply(const Change& change) {
    Key& key = addKey(std::string(kUserRoot), change.path);
    if (!change.name) return;
    Value value;
    value.name = codePage_.toUtf8(*change.name);
    value.value.type = RegType::Sz;
    value.value.data = change.utf8 ? codePage_.fromUtf8(change.text) : change.text;
    value.value.utf8 = change.utf8 ? change.text : codePage_.toUtf8(change.text);
    value.fileData = encodeText(value.value.utf8);
    putValue(key, std::move(value));
}

void RegistryFile::flush() {
    refreshIfChanged();
    throwIfUnreadable();
    if (pending_.empty()) return;
    writeAtomically(path_, serialize());
    stamp_ = currentStamp();
    pending_.clear();
}

std::string RegistryFile::serialize() const {
    std::string out(kHeader);
    out += "\r\n\r\n";
    for (const Key& key : keys_) {
        out += '[' + key.root + (key.path.empty() ? "" : "\\" + key.path) + "]\r\n";
        for (const Value& value : key.values) {
            out += (value.name.empty() ? std::string("@") : quote(value.name)) + '=' +
                   value.fileData + "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace mq
