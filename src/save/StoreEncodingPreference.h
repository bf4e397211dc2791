#pragma once

#include "platform/Registry.h"

#include <optional>
#include <string>

namespace mq {

// The code page the user chose for a store, kept per store path in the key
// "Software\Tarnwick Software\Mailquarry\Store Encoding": one value per store, named by its
// path, holding the page number as text ("932"); empty or missing means "Automatic".
std::optional<int> loadStoreEncoding(Registry& registry, const std::string& storePath);
// Writes the choice (nothing: "Automatic"). Raises RegistryError.
void saveStoreEncoding(Registry& registry, const std::string& storePath,
                       std::optional<int> codePage);

}  // namespace mq
