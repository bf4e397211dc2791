#pragma once

#include "platform/Registry.h"

#include <string>

namespace mq {

// The store folder of the default identity, from the user's registry: "Store Root" under
// Software\Microsoft\Outlook Express, else under the default identity's 5.0 key; expanded.
// "~/" at its start stands for the home folder where there is no registry. Empty when none
// is found. Raises RegistryError for a value of a non-text type.
std::string Get_OE_Directory(Registry& registry);

}  // namespace mq
