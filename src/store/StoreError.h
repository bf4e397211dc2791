#pragma once

#include <stdexcept>

namespace mq {

// A store file could not be opened or read. The message names the file.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace mq
