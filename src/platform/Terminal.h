#pragma once

#include <cstdio>

namespace mq {

// Whether the stream writes to a terminal (a console window on Windows), where a progress
// line can be redrawn in place.
bool isTerminal(std::FILE* stream);

}  // namespace mq
