#include "platform/WriteAccess.h"

#include <cerrno>

#ifdef _WIN32
#include "platform/FileSystem.h"

#include <windows.h>
#else
#include <unistd.h>
#endif

namespace mq {

#ifdef _WIN32

bool isWritableFolder(const std::string& utf8Path) {
    // The permissions of a folder are in its access list, which the attributes do not show:
    // only making a file there tells. The file is gone again when its handle closes.
    std::wstring folder = widePath(utf8Path);
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    const std::wstring probe =
        folder + L"mailquarry-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(file);
    return true;
}

#else

bool isWritableFolder(const std::string& utf8Path) {
    return ::access(utf8Path.c_str(), W_OK | X_OK) == 0;
}

#endif

bool isNoRoomError(int error) {
    // The C library on Windows reports a full disk as ENOSPC as well.
#ifdef EDQUOT
    if (error == EDQUOT) return true;
#endif
    return error == ENOSPC || error == EROFS;
}

}  // namespace mq
