#pragma once

#include "platform/Registry.h"
#include "platform/RegistryError.h"

#include <string>
#include <utility>

namespace mq {

// The user's registry, read and never written: the tool only looks things up, and a key that
// would have to be created is simply not there.
class ReadOnlyRegistry : public Registry {
public:
    explicit ReadOnlyRegistry(Registry& registry) : registry_(registry) {}

    RegistryKeyPtr openKey(std::string_view path) override { return registry_.openKey(path); }
    RegistryKeyPtr createKey(std::string_view path) override {
        if (RegistryKeyPtr key = registry_.openKey(path)) return key;
        refusedToCreate_ = true;
        throw RegistryError::createKeyFailed(std::string(path));
    }
    std::optional<RegValue> queryValue(RegistryKey& key, std::string_view name) override {
        return registry_.queryValue(key, name);
    }
    void setString(RegistryKey&, std::string_view name, std::string_view) override {
        throw RegistryError::setDataFailed(std::string(name));
    }
    void setUtf8String(RegistryKey&, std::string_view name, std::string_view) override {
        throw RegistryError::setDataFailed(std::string(name));
    }
    void closeKey(RegistryKeyPtr key) override { registry_.closeKey(std::move(key)); }

    // A key was asked for that would have had to be created.
    bool refusedToCreate() const { return refusedToCreate_; }

private:
    Registry& registry_;
    bool refusedToCreate_ = false;
};

}  // namespace mq
