#include "save/TPref.h"

#include "platform/RegistryError.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <string_view>
#include <variant>

namespace mq {

namespace {

struct TextValue {
    std::string TPref::*member;
    std::string_view fallback;
};
// A text kept in UTF-8 rather than ANSI: the name of a folder the user chose.
struct PathValue {
    std::string TPref::*member;
    std::string_view fallback;
};
struct IntegerValue {
    std::int32_t TPref::*member;
    std::int32_t fallback;
};
struct BooleanValue {
    bool TPref::*member;
    bool fallback;
};

struct StoredValue {
    std::string_view name;
    std::string_view subkey;
    std::variant<TextValue, PathValue, IntegerValue, BooleanValue> property;
};

constexpr std::string_view Settings = "Settings";
constexpr std::string_view View = "View";

// In the order in which the values are read and written: the designed seventeen, then the
// export's target and form, then the main window's place and size, then the preview pane,
// then the folders the two text-file saves last wrote to, then what Find Messages... was last
// asked.
const std::array<StoredValue, 34> StoredValues{{
    {"Directory", Settings, PathValue{&TPref::Directory, ""}},
    {"Default_Extension", Settings, TextValue{&TPref::Default_Extension, ".eml"}},
    {"Default_Filename", Settings, TextValue{&TPref::Default_Filename, "No Subject"}},
    {"Remove_Re", Settings, BooleanValue{&TPref::Remove_Re, false}},
    {"CreationDate", Settings, BooleanValue{&TPref::CreationDate, false}},
    {"FileNameDateFormat", Settings, TextValue{&TPref::FileNameDateFormat, "yyyymmdd"}},
    {"FileNameFormat", Settings,
     TextValue{&TPref::FileNameFormat, "From0,To0,Subject1,Date0,Reply_To_Address0"}},
    {"EncloseItems", Settings, BooleanValue{&TPref::EncloseItems, true}},
    {"Column0", View, IntegerValue{&TPref::Column0, 150}},
    {"Column1", View, IntegerValue{&TPref::Column1, 150}},
    {"Column2", View, IntegerValue{&TPref::Column2, 300}},
    {"Column3", View, IntegerValue{&TPref::Column3, 100}},
    {"Column4", View, IntegerValue{&TPref::Column4, 140}},
    {"Toolbar", View, BooleanValue{&TPref::Toolbar, true}},
    {"Statusbar", View, BooleanValue{&TPref::Statusbar, true}},
    {"FolderWidth", View, IntegerValue{&TPref::FolderWidth, 170}},
    {"ColumnPosition", View, TextValue{&TPref::ColumnPositions, "01234"}},
    {"ExportDirectory", Settings, PathValue{&TPref::ExportDirectory, ""}},
    {"ExportFormat", Settings, TextValue{&TPref::ExportFormat, "mbox"}},
    {"WindowLeft", View, IntegerValue{&TPref::WindowLeft, 0}},
    {"WindowTop", View, IntegerValue{&TPref::WindowTop, 0}},
    {"WindowWidth", View, IntegerValue{&TPref::WindowWidth, 0}},
    {"WindowHeight", View, IntegerValue{&TPref::WindowHeight, 0}},
    {"WindowMaximized", View, BooleanValue{&TPref::WindowMaximized, false}},
    {"PreviewPane", View, BooleanValue{&TPref::PreviewPane, false}},
    {"PreviewHeight", View, IntegerValue{&TPref::PreviewHeight, 0}},
    {"SingleFileDirectory", Settings, PathValue{&TPref::SingleFileDirectory, ""}},
    {"AddressFileDirectory", Settings, PathValue{&TPref::AddressFileDirectory, ""}},
    {"FindWords", Settings, PathValue{&TPref::FindWords, ""}},
    {"FindFields", Settings, TextValue{&TPref::FindFields, "subject,people"}},
    {"FindAllFolders", Settings, BooleanValue{&TPref::FindAllFolders, true}},
    {"FindDateRange", Settings, BooleanValue{&TPref::FindDateRange, false}},
    {"FindFrom", Settings, TextValue{&TPref::FindFrom, ""}},
    {"FindTo", Settings, TextValue{&TPref::FindTo, ""}},
}};

// A signed 32-bit decimal text, leading blanks allowed; anything else is not a number.
std::optional<std::int32_t> parseInteger(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

// Missing values (std::nullopt) take the default.
void assign(TPref& pref, const StoredValue& stored, const std::optional<RegValue>& value) {
    const std::optional<std::string> text =
        value ? std::optional<std::string>(value->data) : std::nullopt;
    std::visit(
        [&](const auto& property) {
            using Kind = std::decay_t<decltype(property)>;
            if constexpr (std::is_same_v<Kind, TextValue>) {
                pref.*property.member = text ? *text : std::string(property.fallback);
            } else if constexpr (std::is_same_v<Kind, PathValue>) {
                pref.*property.member = value ? value->utf8 : std::string(property.fallback);
            } else if constexpr (std::is_same_v<Kind, IntegerValue>) {
                pref.*property.member =
                    (text ? parseInteger(*text) : std::nullopt).value_or(property.fallback);
            } else {
                const std::int32_t fallback = property.fallback ? 1 : 0;
                pref.*property.member =
                    (text ? parseInteger(*text) : std::nullopt).value_or(fallback) != 0;
            }
        },
        stored.property);
}

std::string storedText(const TPref& pref, const StoredValue& stored) {
    return std::visit(
        [&](const auto& property) -> std::string {
            using Kind = std::decay_t<decltype(property)>;
            if constexpr (std::is_same_v<Kind, TextValue> || std::is_same_v<Kind, PathValue>) {
                return pref.*property.member;
            } else if constexpr (std::is_same_v<Kind, IntegerValue>) {
                return std::to_string(pref.*property.member);
            } else {
                return pref.*property.member ? "1" : "0";
            }
        },
        stored.property);
}

std::string subkeyPath(const TPref& pref, const StoredValue& stored) {
    return pref.Inipath + "\\" + std::string(stored.subkey);
}

// The text value; empty when the subkey or the value is missing. Throws for a value that is
// not a text.
std::optional<RegValue> readValue(Registry& registry, const std::string& path,
                                  std::string_view name) {
    RegistryKeyPtr key = registry.openKey(path);
    if (!key) return std::nullopt;
    std::optional<RegValue> value = registry.queryValue(*key, name);
    registry.closeKey(std::move(key));
    if (!value) return std::nullopt;
    if (value->type != RegType::Sz && value->type != RegType::ExpandSz) {
        throw RegistryError::invalidDataType(std::string(name));
    }
    value->data.resize(std::min(value->data.find('\0'), value->data.size()));
    value->utf8.resize(std::min(value->utf8.find('\0'), value->utf8.size()));
    return value;
}

std::string recentStoreName(std::size_t index) {
    return "RecentStore" + std::to_string(index + 1);
}

bool isPath(const StoredValue& stored) {
    return std::holds_alternative<PathValue>(stored.property);
}

}  // namespace

void TPref::LoadFromRegistry(Registry& registry) {
    RegistryKeyPtr root;
    std::size_t next = 0;
    try {
        root = registry.createKey(Inipath);
        for (; next < StoredValues.size(); ++next) {
            const StoredValue& stored = StoredValues[next];
            assign(*this, stored, readValue(registry, subkeyPath(*this, stored), stored.name));
        }
        RecentStores.clear();
        for (std::size_t i = 0; i < MaxRecentStores; ++i) {
            const std::optional<RegValue> value =
                readValue(registry, Inipath + "\\" + std::string(Settings), recentStoreName(i));
            if (value && !value->utf8.empty()) RecentStores.push_back(value->utf8);
        }
    } catch (const RegistryError&) {
        // What was not read yet gets its default rather than zero, which would hide every
        // column and leave the file names without extension.
        for (; next < StoredValues.size(); ++next) assign(*this, StoredValues[next], std::nullopt);
        if (root) registry.closeKey(std::move(root));
        throw;
    }
    registry.closeKey(std::move(root));
}

void TPref::SaveToRegistry(Registry& registry) const {
    // One write for all seventeen values: a save cut short leaves the old ones whole.
    RegistryBatch batch(registry);
    RegistryKeyPtr root = registry.createKey(Inipath);
    for (const StoredValue& stored : StoredValues) {
        const std::string path = subkeyPath(*this, stored);
        const std::string subkey(stored.subkey);
        try {
            registry.closeKey(registry.createKey(path));
        } catch (const RegistryError&) {
            throw RegistryError::createKeyFailed(subkey);
        }
        RegistryKeyPtr key = registry.openKey(path);
        if (!key) throw RegistryError::createKeyFailed(subkey);
        if (isPath(stored))
            registry.setUtf8String(*key, stored.name, storedText(*this, stored));
        else
            registry.setString(*key, stored.name, storedText(*this, stored));
        registry.closeKey(std::move(key));
    }
    registry.closeKey(std::move(root));
    SaveRecentStores(registry);
    batch.commit();
}

void TPref::SaveRecentStores(Registry& registry) const {
    RegistryBatch batch(registry);
    const std::string subkey(Settings);
    RegistryKeyPtr key = registry.createKey(Inipath + "\\" + subkey);
    for (std::size_t i = 0; i < MaxRecentStores; ++i) {
        const std::string name = recentStoreName(i);
        if (i < RecentStores.size())
            registry.setUtf8String(*key, name, RecentStores[i]);
        else if (registry.queryValue(*key, name))
            registry.setUtf8String(*key, name, {});  // a list that got shorter
    }
    registry.closeKey(std::move(key));
    batch.commit();
}

}  // namespace mq
