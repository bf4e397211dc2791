#include "support/UserRegistry.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace mq::test {

#ifdef _WIN32

namespace {

constexpr const char* OutlookExpressKey = "Software\\Microsoft\\Outlook Express";
constexpr const char* StoreRootValue = "Store Root";

void setStoreRoot(const std::optional<std::string>& text) {
    if (text) {
        RegSetKeyValueA(HKEY_CURRENT_USER, OutlookExpressKey, StoreRootValue, REG_SZ, text->c_str(),
                        static_cast<DWORD>(text->size() + 1));
    } else {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, OutlookExpressKey, StoreRootValue);
    }
}

}  // namespace

ScopedStoreRoot::ScopedStoreRoot(const std::string& storeRoot) {
    char old[1024];
    DWORD size = sizeof old;
    if (RegGetValueA(HKEY_CURRENT_USER, OutlookExpressKey, StoreRootValue,
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, old,
                     &size) == ERROR_SUCCESS)
        previous_ = old;
    setStoreRoot(storeRoot);
}

ScopedStoreRoot::~ScopedStoreRoot() {
    setStoreRoot(previous_);
}

#endif

}  // namespace mq::test
