#include "store/StoreLocation.h"

#include "platform/EnvironmentStrings.h"

namespace mq {

namespace {

constexpr char StoreRootValue[] = "Store Root";

// The text value `name` of the key at `path`; empty when the key or the value is missing.
std::string readKeyString(Registry& registry, const std::string& path, const char* name) {
    RegistryKeyPtr key = registry.openKey(path);
    if (!key) return {};
    // A value of the wrong type throws; the handle then closes as it goes out of scope.
    std::string text = registry.readString(*key, name);
    registry.closeKey(std::move(key));
    return text;
}

}  // namespace

std::string Get_OE_Directory(Registry& registry) {
    std::string root =
        readKeyString(registry, "\\Software\\Microsoft\\Outlook Express", StoreRootValue);
    if (root.empty()) {
        // Only the default identity is consulted; its id goes into the path unchecked.
        const std::string identity = readKeyString(registry, "\\Identities", "Default User ID");
        root = readKeyString(
            registry, "\\Identities\\" + identity + "\\Software\\Microsoft\\Outlook Express\\5.0",
            StoreRootValue);
    }
    if (root.empty()) return root;
    std::optional<std::string> expanded = expandEnvironmentStrings(root, 1024);
    return expandHomeFolder(expanded ? *expanded : root);
}

}  // namespace mq
