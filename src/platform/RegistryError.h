#pragma once

#include <stdexcept>
#include <string>

namespace mq {

// Raised by the registry layer. The text is what the user is shown.
class RegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;

    static RegistryError invalidDataType(
        const std::string& valueName);  // "Invalid data type for '%s'"
    static RegistryError createKeyFailed(const std::string& keyName);  // "Failed to create key %s"
    static RegistryError setDataFailed(
        const std::string& valueName);  // "Failed to set data for '%s'"
};

}  // namespace mq
