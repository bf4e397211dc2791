#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace mq {

// The file calls of the save operations. Paths are UTF-8; failures are reported as errno
// values. Descriptors are the C library's. On Windows, names reach the system as wide
// characters (a path of 260 characters or more in its long "\\?\" form), files are opened
// in binary mode so that every byte is written as it is, and no descriptor is inherited by
// another program.

// Creates the file at `path`, which must not exist yet, for writing with permissions `mode`
// (less the umask; Windows has no such permissions). The descriptor, or -1 with errno set.
int createNewFile(const std::string& path, unsigned mode = 0666);
// False with errno set when not all of `data` could be written.
bool writeAll(int fd, std::string_view data);
// Makes what was written durable (fsync, FlushFileBuffers). 0 or the errno.
int syncFile(int fd);
// 0 or the errno.
int closeFile(int fd);
void removeFile(const std::string& path);
// Moves `from` to `to`, replacing a file there, in one step: `to` names the old file or the
// new one, never neither. 0 or the errno.
int replaceFileWith(const std::string& from, const std::string& to);

// A file that a replacement may take the place of.
struct ReplaceableFile {
    int error = 0;      // ENOENT: none there; EISDIR: not a plain file; EACCES: not writable
    std::string path;   // where its content really lives, links followed
    unsigned mode = 0;  // its permissions
};
ReplaceableFile replaceableFile(const std::string& path);
// Gives the open file the permissions `mode`; 0 or the errno. Nothing to do on Windows.
int setPermissions(int fd, unsigned mode);

// A file of the system's for content on its way, removed when closed; null when none can
// be made.
std::FILE* openSpoolFile();
// Writes the whole of `content` over the file at `path`, which keeps its identity, so its
// hard links see the new content too. Room for a longer content is taken first: a disk too
// full for it leaves the old content as it was. 0 or the errno.
int overwriteInPlace(std::FILE* content, const std::string& path);

long currentProcessId();

// Calls `file` with the name (UTF-8) of each entry of the folder that is not a folder itself,
// in the order the file system gives them. False when the folder cannot be listed.
bool listFiles(const std::string& folder, const std::function<void(const std::string&)>& file);

// How many units of a file name a character takes where the file system counts them, from
// the length of its UTF-8 form: UTF-16 units on Windows (NTFS), UTF-8 bytes elsewhere. A name
// holds at most MaxFileNameUnits.
std::size_t fileNameUnits(std::size_t utf8Length);
inline constexpr std::size_t MaxFileNameUnits = 255;

// The folder part of `path`, with its final separator ('/', or either '/' or '\' on
// Windows); empty when the path has none.
std::string folderOf(const std::string& path);

// A path given on the command line, in UTF-8: Windows hands a program its arguments in the
// ANSI page, other systems in UTF-8 already.
std::string commandLinePath(const std::string& argument);

// The UTF-8 path for the C++ library's file calls; on Windows in the form widePath gives.
std::filesystem::path nativePath(const std::string& path);

#ifdef _WIN32
// The UTF-8 path as the wide-character calls take it: separators as '\', and a path of 260
// characters or more made absolute in its long form (\\?\C:\... or \\?\UNC\server\...).
std::wstring widePath(const std::string& path);
#endif

}  // namespace mq
