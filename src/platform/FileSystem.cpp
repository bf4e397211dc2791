#include "platform/FileSystem.h"

#include "platform/AnsiCodePage.h"

#include <cerrno>
#include <climits>
#include <cstdint>

#ifdef _WIN32
#include "platform/Unicode.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#endif

namespace mq {

namespace {

int lastError() {
    return errno ? errno : EIO;
}

ReplaceableFile refused(int error) {
    ReplaceableFile file;
    file.error = error;
    return file;
}

// Copies `size` bytes of `content`, from its start, to the open file.
int copyContent(std::FILE* content, int fd, std::uint64_t size) {
    std::rewind(content);
    char buffer[64 * 1024];
    for (std::uint64_t at = 0; at < size;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, content);
        if (n == 0 || !writeAll(fd, std::string_view(buffer, n))) return lastError();
        at += n;
    }
    return 0;
}

#ifdef _WIN32

int errnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
            return EACCES;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        default:
            return EIO;
    }
}

#endif

}  // namespace

#ifdef _WIN32

std::wstring widePath(const std::string& path) {
    std::u16string text;
    utf8ToUtf16(path, text);
    std::wstring wide(text.begin(), text.end());
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    // Folders take 12 characters less than files in the plain form.
    constexpr std::size_t plainLimit = MAX_PATH - 12;
    if (wide.size() < plainLimit || wide.starts_with(L"\\\\?\\")) return wide;
    // The long form is taken literally: it must be absolute, without "." or "..".
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) return wide;
    std::wstring full(size, L'\0');
    full.resize(GetFullPathNameW(wide.c_str(), size, full.data(), nullptr));
    if (full.starts_with(L"\\\\.\\")) return full;  // a device
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::filesystem::path nativePath(const std::string& path) {
    return std::filesystem::path(widePath(path));
}

int createNewFile(const std::string& path, unsigned) {
    return _wopen(widePath(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  _S_IREAD | _S_IWRITE);
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const auto chunk = static_cast<unsigned>(std::min<std::size_t>(data.size(), INT_MAX));
        const int written = _write(fd, data.data(), chunk);
        if (written <= 0) {
            if (written == 0) errno = ENOSPC;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

int syncFile(int fd) {
    return _commit(fd) == 0 ? 0 : lastError();
}

int closeFile(int fd) {
    return _close(fd) == 0 ? 0 : lastError();
}

void removeFile(const std::string& path) {
    _wunlink(widePath(path).c_str());
}

int replaceFileWith(const std::string& from, const std::string& to) {
    if (MoveFileExW(widePath(from).c_str(), widePath(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return errnoOf(GetLastError());
}

ReplaceableFile replaceableFile(const std::string& path) {
    const std::wstring wide = widePath(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return refused(errnoOf(GetLastError()));
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return refused(EISDIR);
    if (attributes & FILE_ATTRIBUTE_READONLY) return refused(EACCES);
    // Opened to learn where a link leads; neither reading nor writing is asked for.
    const HANDLE file =
        CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return refused(errnoOf(GetLastError()));
    std::wstring resolved(32768, L'\0');
    const DWORD length =
        GetFinalPathNameByHandleW(file, resolved.data(), static_cast<DWORD>(resolved.size()),
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(file);
    ReplaceableFile found;
    found.path = path;
    if (length == 0 || length >= resolved.size()) return found;
    resolved.resize(length);
    found.path = utf16ToUtf8(std::u16string(resolved.begin(), resolved.end()));
    return found;
}

int setPermissions(int, unsigned) {
    return 0;
}

long currentProcessId() {
    return static_cast<long>(GetCurrentProcessId());
}

bool listFiles(const std::string& folder, const std::function<void(const std::string&)>& file) {
    // The C++ library's listing cannot take a path in its long form.
    std::string pattern = folder.empty() ? "." : folder;
    if (pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
    WIN32_FIND_DATAW found;
    const HANDLE listing =
        FindFirstFileExW(widePath(pattern + '*').c_str(), FindExInfoBasic, &found,
                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (listing == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::wstring_view name(found.cFileName);
        file(utf16ToUtf8(std::u16string(name.begin(), name.end())));
    } while (FindNextFileW(listing, &found));
    const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(listing);
    return complete;
}

std::FILE* openSpoolFile() {
    // The C library's tmpfile() wants the root of the drive, which users may not write.
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH];
    if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"mq", 0, name) == 0)
        return nullptr;
    std::FILE* file = _wfopen(name, L"w+bTD");  // T: kept in memory if it may, D: gone at close
    if (!file) DeleteFileW(name);
    return file;
}

int overwriteInPlace(std::FILE* content, const std::string& path) {
    if (std::fflush(content) != 0 || _fseeki64(content, 0, SEEK_END) != 0) return EIO;
    const __int64 size = _ftelli64(content);
    const int fd = _wopen(widePath(path).c_str(), _O_WRONLY | _O_BINARY | _O_NOINHERIT);
    if (size < 0 || fd < 0) return lastError();
    const __int64 oldSize = _filelengthi64(fd);
    int error = oldSize < 0 ? lastError() : 0;
    // NTFS allocates what a file is extended by.
    if (error == 0 && size > oldSize) {
        error = _chsize_s(fd, size);
        if (error != 0) _chsize_s(fd, oldSize);
    }
    if (error == 0) error = copyContent(content, fd, static_cast<std::uint64_t>(size));
    if (error == 0) error = _chsize_s(fd, size);
    if (error == 0) error = syncFile(fd);
    const int closed = closeFile(fd);
    return error != 0 ? error : closed;
}

std::size_t fileNameUnits(std::size_t utf8Length) {
    return utf8Length >= 4 ? 2 : 1;
}

std::string folderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    if (separator != std::string::npos) return path.substr(0, separator + 1);
    // "C:name" lies in the current folder of drive C.
    return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : std::string();
}

#else

std::filesystem::path nativePath(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

int createNewFile(const std::string& path, unsigned mode) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

int syncFile(int fd) {
    return ::fsync(fd) == 0 ? 0 : lastError();
}

int closeFile(int fd) {
    return ::close(fd) == 0 ? 0 : lastError();
}

void removeFile(const std::string& path) {
    ::unlink(path.c_str());
}

int replaceFileWith(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : lastError();
}

ReplaceableFile replaceableFile(const std::string& path) {
    // A link is followed, so the file it names is replaced and the link stays.
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return refused(lastError());
    if (!S_ISREG(status.st_mode)) return refused(EISDIR);
    char resolved[PATH_MAX];
    if (::access(path.c_str(), W_OK) != 0 || ::realpath(path.c_str(), resolved) == nullptr)
        return refused(lastError());
    ReplaceableFile found;
    found.path = resolved;
    found.mode = static_cast<unsigned>(status.st_mode & 07777);
    return found;
}

int setPermissions(int fd, unsigned mode) {
    return ::fchmod(fd, mode) == 0 ? 0 : lastError();
}

long currentProcessId() {
    return static_cast<long>(::getpid());
}

bool listFiles(const std::string& folder, const std::function<void(const std::string&)>& file) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::directory_iterator it(nativePath(folder.empty() ? "." : folder), error);
    for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) continue;
        const std::u8string name = it->path().filename().u8string();
        file(std::string(name.begin(), name.end()));
    }
    return !error;
}

std::FILE* openSpoolFile() {
    return std::tmpfile();
}

int overwriteInPlace(std::FILE* content, const std::string& path) {
    if (std::fflush(content) != 0 || std::fseek(content, 0, SEEK_END) != 0) return EIO;
    const off_t size = ::ftello(content);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (size < 0 || fd < 0) return lastError();
    struct stat old {};
    int error = ::fstat(fd, &old) != 0 ? lastError() : 0;
    if (error == 0 && size > old.st_size) {
        error = ::posix_fallocate(fd, old.st_size, size - old.st_size);
        if (error != 0 && ::ftruncate(fd, old.st_size) != 0) error = lastError();
    }
    if (error == 0) error = copyContent(content, fd, static_cast<std::uint64_t>(size));
    if (error == 0 && ::ftruncate(fd, size) != 0) error = lastError();
    if (error == 0) error = syncFile(fd);
    const int closed = closeFile(fd);
    return error != 0 ? error : closed;
}

std::size_t fileNameUnits(std::size_t utf8Length) {
    return utf8Length;
}

std::string folderOf(const std::string& path) {
    return path.substr(0, path.find_last_of('/') + 1);
}

#endif

std::string commandLinePath(const std::string& argument) {
#ifdef _WIN32
    return AnsiCodePage::system().toUtf8(argument);
#else
    return argument;
#endif
}

}  // namespace mq
