#pragma once

namespace mq {

// Whether a failed write's error (the C library's errno value, as the file writer reports
// it) means that no write to that place can succeed for now: the disk or the user's quota
// is full, or the file system is read-only.
bool isNoRoomError(int error);

}  // namespace mq
