#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace mq {

// Value types as the Windows registry numbers them.
enum class RegType : std::uint32_t {
    None = 0,
    Sz = 1,
    ExpandSz = 2,
    Binary = 3,
    Dword = 4,
    MultiSz = 7,
    Qword = 11,
};

struct RegValue {
    RegType type = RegType::None;
    // Texts (Sz, ExpandSz) hold their 8-bit characters without the terminating NUL;
    // every other type holds its raw little-endian bytes.
    std::string data;
    // Texts only: the same text in UTF-8, with the characters the ANSI page lacks.
    std::string utf8;
};

// An open key; closing happens when the handle is destroyed or closeKey is called.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
};
using RegistryKeyPtr = std::unique_ptr<RegistryKey>;

// The per-user registry, HKEY_CURRENT_USER. Key paths are absolute below that root,
// written with backslashes; a leading backslash is allowed ("\Identities" == "Identities").
// Key and value names compare ignoring letter case, as the registry does.
class Registry {
public:
    virtual ~Registry() = default;

    // Opens an existing key without creating it; empty when it does not exist.
    virtual RegistryKeyPtr openKey(std::string_view path) = 0;
    // Opens a key, creating it and its missing parents. Throws RegistryError::createKeyFailed.
    virtual RegistryKeyPtr createKey(std::string_view path) = 0;
    // The value's type and data; empty when the value does not exist.
    virtual std::optional<RegValue> queryValue(RegistryKey& key, std::string_view name) = 0;
    // Writes a REG_SZ value. Throws RegistryError::setDataFailed.
    virtual void setString(RegistryKey& key, std::string_view name, std::string_view text) = 0;
    // Writes a REG_SZ value given in UTF-8, for a text that the ANSI page may not hold, such
    // as the name of a folder the user chose. Throws RegistryError::setDataFailed.
    virtual void setUtf8String(RegistryKey& key, std::string_view name, std::string_view utf8) = 0;
    // Closes the key; on the portable registry this is where changes reach the disk, so it
    // can raise a RegistryError there.
    virtual void closeKey(RegistryKeyPtr key) = 0;

    // Between these, changes may be held back and reach the disk together: the registry file
    // writes them at endBatch as one replacement of the file, so that a process killed
    // meanwhile leaves all of them or none. Batches nest. endBatch raises a RegistryError
    // where closeKey would. The Windows registry writes each change as it comes.
    virtual void beginBatch() {}
    virtual void endBatch() {}

    // A text value as the registry layer reads it: REG_SZ or REG_EXPAND_SZ (taken literally),
    // cut at the first NUL. Missing value: empty. Any other type: RegistryError::invalidDataType.
    std::string readString(RegistryKey& key, std::string_view name);
};

// A batch for as long as it lives. commit() ends it and reports a failed write; a batch left
// by an exception ends all the same, writing what was changed before, and keeps quiet about
// its own failure so that the first one is the one reported.
class RegistryBatch {
public:
    explicit RegistryBatch(Registry& registry) : registry_(&registry) { registry.beginBatch(); }
    ~RegistryBatch();
    RegistryBatch(const RegistryBatch&) = delete;
    RegistryBatch& operator=(const RegistryBatch&) = delete;

    void commit();

private:
    Registry* registry_;  // null once ended
};

// The registry of the current user on this platform: the real one on Windows, elsewhere the
// registry file at $XDG_CONFIG_HOME/mailquarry/user.reg (~/.config/... when unset).
std::unique_ptr<Registry> openUserRegistry();

}  // namespace mq
