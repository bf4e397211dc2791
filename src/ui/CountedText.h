#pragma once

#include <QString>

#include <cstddef>

namespace mq {

// "1 message", "57 messages".
inline QString counted(std::size_t count, const char* one, const char* many) {
    return QString::number(count) + QLatin1Char(' ') + QLatin1String(count == 1 ? one : many);
}

}  // namespace mq
