#include "platform/WriteAccess.h"

#include <cerrno>

namespace mq {

bool isNoRoomError(int error) {
    // The C library on Windows reports a full disk as ENOSPC as well.
#ifdef EDQUOT
    if (error == EDQUOT) return true;
#endif
    return error == ENOSPC || error == EROFS;
}

}  // namespace mq
