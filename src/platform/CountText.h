#pragma once

#include <cstddef>
#include <string>

namespace mq {

// "1 message", "2 messages": a count with the word that goes with it.
inline std::string counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + ' ' + (count == 1 ? one : many);
}

}  // namespace mq
