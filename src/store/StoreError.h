#pragma once

#include <stdexcept>
#include <string>

namespace mq {

// A store file could not be opened or read. The message names the file.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the user is told when a folder's file cannot be read: most often the mail client
// holds it.
inline std::string cannotAccessText(const std::string& fileName) {
    return "DBX File " + fileName +
           " cannot be accessed, make sure that Outlook Express is not running";
}

}  // namespace mq
