#include "save/StoreEncodingPreference.h"

#include "platform/AnsiCodePage.h"
#include "save/TPref.h"

#include <charconv>

namespace mq {

namespace {

std::string keyPath() {
    return TPref().Inipath + "\\Store Encoding";
}

}  // namespace

std::optional<int> loadStoreEncoding(Registry& registry, const std::string& storePath) {
    const RegistryKeyPtr key = registry.openKey(keyPath());
    if (!key) return std::nullopt;
    const std::optional<RegValue> value = registry.queryValue(*key, storePath);
    if (!value || value->type != RegType::Sz) return std::nullopt;
    int page = 0;
    const std::string& text = value->data;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), page);
    // A hand-edited value that names no page is no choice.
    if (error != std::errc() || end != text.data() + text.size() ||
        !AnsiCodePage::isWindowsPage(page))
        return std::nullopt;
    return page;
}

void saveStoreEncoding(Registry& registry, const std::string& storePath,
                       std::optional<int> codePage) {
    RegistryKeyPtr key = registry.createKey(keyPath());
    registry.setString(*key, storePath, codePage ? std::to_string(*codePage) : std::string());
    registry.closeKey(std::move(key));
}

}  // namespace mq
