#include "platform/Registry.h"

#include "platform/RegistryError.h"
#include "platform/RegistryFile.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

namespace mq {

RegistryError RegistryError::invalidDataType(const std::string& valueName) {
    return RegistryError("Invalid data type for '" + valueName + "'");
}

RegistryError RegistryError::createKeyFailed(const std::string& keyName) {
    return RegistryError("Failed to create key " + keyName);
}

RegistryError RegistryError::setDataFailed(const std::string& valueName) {
    return RegistryError("Failed to set data for '" + valueName + "'");
}

RegistryBatch::~RegistryBatch() {
    if (!registry_) return;
    try {
        registry_->endBatch();
    } catch (const RegistryError&) {  // the error that left the batch open is reported instead
    }
}

void RegistryBatch::commit() {
    Registry* registry = std::exchange(registry_, nullptr);
    registry->endBatch();
}

std::string Registry::readString(RegistryKey& key, std::string_view name) {
    const std::optional<RegValue> value = queryValue(key, name);
    if (!value) return {};
    if (value->type != RegType::Sz && value->type != RegType::ExpandSz) {
        throw RegistryError::invalidDataType(std::string(name));
    }
    return value->data.substr(0, value->data.find('\0'));
}

#ifdef _WIN32

namespace {

class WindowsKey : public RegistryKey {
public:
    explicit WindowsKey(HKEY handle) : handle(handle) {}
    ~WindowsKey() override { RegCloseKey(handle); }
    HKEY handle;
};

// RegOpenKeyExA takes paths relative to the root: no leading backslash.
std::string relativePath(std::string_view path) {
    if (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    return std::string(path);
}

std::wstring toWide(UINT codePage, std::string_view text) {
    const int length =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    if (length > 0)
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            length);
    return wide;
}

std::string toUtf8(std::wstring_view text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(std::max(length, 0)), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(),
                            length, nullptr, nullptr);
    return utf8;
}

// The text value read through the wide call, which keeps what the ANSI page lacks.
std::string wideText(HKEY handle, const std::wstring& name) {
    DWORD size = 0;
    if (RegQueryValueExW(handle, name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return {};
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (size > 0 && RegQueryValueExW(handle, name.c_str(), nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS)
        return {};
    text.resize(size / sizeof(wchar_t));
    return toUtf8(std::wstring_view(text).substr(0, text.find(L'\0')));
}

class WindowsRegistry : public Registry {
public:
    RegistryKeyPtr openKey(std::string_view path) override {
        HKEY handle = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, relativePath(path).c_str(), 0, KEY_ALL_ACCESS,
                          &handle) != ERROR_SUCCESS) {
            return nullptr;
        }
        return std::make_unique<WindowsKey>(handle);
    }

    RegistryKeyPtr createKey(std::string_view path) override {
        HKEY handle = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, relativePath(path).c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
            throw RegistryError::createKeyFailed(std::string(path));
        }
        return std::make_unique<WindowsKey>(handle);
    }

    std::optional<RegValue> queryValue(RegistryKey& key, std::string_view name) override {
        const HKEY handle = static_cast<WindowsKey&>(key).handle;
        const std::string valueName(name);
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExA(handle, valueName.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        RegValue value;
        value.type = static_cast<RegType>(type);
        value.data.resize(size);
        if (size > 0 &&
            RegQueryValueExA(handle, valueName.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(value.data.data()), &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        value.data.resize(size);
        const bool text = value.type == RegType::Sz || value.type == RegType::ExpandSz;
        if (text && !value.data.empty() && value.data.back() == '\0') value.data.pop_back();
        if (text) value.utf8 = wideText(handle, toWide(CP_ACP, valueName));
        return value;
    }

    void setString(RegistryKey& key, std::string_view name, std::string_view text) override {
        const std::string valueName(name);
        const std::string data(text);  // with its terminating NUL
        if (RegSetValueExA(static_cast<WindowsKey&>(key).handle, valueName.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(data.c_str()),
                           static_cast<DWORD>(data.size() + 1)) != ERROR_SUCCESS) {
            throw RegistryError::setDataFailed(valueName);
        }
    }

    void setUtf8String(RegistryKey& key, std::string_view name, std::string_view utf8) override {
        const std::wstring valueName = toWide(CP_ACP, name);
        const std::wstring data = toWide(CP_UTF8, utf8);  // with its terminating NUL
        if (RegSetValueExW(static_cast<WindowsKey&>(key).handle, valueName.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(data.c_str()),
                           static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) !=
            ERROR_SUCCESS) {
            throw RegistryError::setDataFailed(std::string(name));
        }
    }

    void closeKey(RegistryKeyPtr key) override { key.reset(); }
};

}  // namespace

std::unique_ptr<Registry> openUserRegistry() {
    return std::make_unique<WindowsRegistry>();
}

#else

std::unique_ptr<Registry> openUserRegistry() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    std::filesystem::path folder;
    if (configHome && *configHome == '/') {  // relative values are to be ignored
        folder = configHome;
    } else {
        const char* home = std::getenv("HOME");
        folder = std::filesystem::path(home ? home : "") / ".config";
    }
    return std::make_unique<RegistryFile>(folder / "mailquarry" / "user.reg");
}

#endif

}  // namespace mq
