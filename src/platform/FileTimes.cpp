#include "platform/FileTimes.h"

#ifdef _WIN32
#include "platform/FileSystem.h"

#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace mq {

#ifdef _WIN32

bool setFileTimes(const std::string& utf8Path, std::uint64_t filetime) {
    const HANDLE file = CreateFileW(widePath(utf8Path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(filetime);
    time.dwHighDateTime = static_cast<DWORD>(filetime >> 32);
    const bool ok = SetFileTime(file, &time, &time, &time) != 0;
    CloseHandle(file);
    return ok;
}

#else

bool setFileTimes(const std::string& utf8Path, std::uint64_t filetime) {
    // FILETIME counts 100 ns units from 1601-01-01, 11,644,473,600 s before the Unix epoch.
    constexpr std::int64_t kUnitsPerSecond = 10'000'000;
    constexpr std::int64_t kEpochSeconds = 11'644'473'600;
    const auto units = static_cast<std::int64_t>(filetime / kUnitsPerSecond);
    timespec times[2];
    times[0].tv_sec = static_cast<time_t>(units - kEpochSeconds);
    times[0].tv_nsec = static_cast<long>(filetime % kUnitsPerSecond) * 100;
    times[1] = times[0];
    return utimensat(AT_FDCWD, utf8Path.c_str(), times, 0) == 0;
}

#endif

}  // namespace mq
