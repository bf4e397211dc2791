#pragma once

#include "platform/AnsiCodePage.h"
#include "platform/Registry.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace mq {

// The portable registry: a file in the text format the Windows registry editor exports
// ("Windows Registry Editor Version 5.00", [HKEY_CURRENT_USER\...] sections, "Name"="text",
// dword:, hex(2): for expandable text, hex:, hex(N):). Read as UTF-16LE with BOM or UTF-8,
// written as UTF-8 through a temporary file renamed over the old one.
//
// A missing file is an empty registry. A file that cannot be parsed makes every operation
// raise a RegistryError naming the path and line, so it is never overwritten; nor is a
// read-only one, whose save fails naming it. Through a symbolic link the file the link names
// is written, and made if need be.
//
// Texts are ANSI bytes in the program and UTF-8 in the file. Values the program does not
// change are written back exactly as they were read, keys of other roots included. A file
// changed by someone else is read again before a key is opened and before a save, so
// their changes are seen and kept.
class RegistryFile : public Registry {
public:
    explicit RegistryFile(std::filesystem::path path,
                          const AnsiCodePage& codePage = AnsiCodePage::system());
    ~RegistryFile() override;

    RegistryKeyPtr openKey(std::string_view path) override;
    RegistryKeyPtr createKey(std::string_view path) override;
    std::optional<RegValue> queryValue(RegistryKey& key, std::string_view name) override;
    void setString(RegistryKey& key, std::string_view name, std::string_view text) override;
    void setUtf8String(RegistryKey& key, std::string_view name, std::string_view utf8) override;
    void closeKey(RegistryKeyPtr key) override;
    void beginBatch() override;
    void endBatch() override;

    const std::filesystem::path& path() const { return path_; }
    // Writes pending changes now (closeKey outside a batch and endBatch do this too). Throws
    // RegistryError.
    void flush();

private:
    struct Value {
        std::string name;  // UTF-8, as first written, letter case kept; empty for "@"
        RegValue value;
        std::string fileData;  // UTF-8, what follows the '=' in the file
    };
    struct Key {
        std::string root;  // "HKEY_CURRENT_USER", or another root kept as it stands
        std::string path;  // UTF-8, as first written, without the root
        std::vector<Value> values;
    };

    // A change the program made, kept until it is on disk so that it can be made again on
    // top of the file when someone else changed that file in the meantime.
    struct Change {
        std::string path;                 // UTF-8 key path
        std::optional<std::string> name;  // ANSI value name; empty for a created key
        std::string text;
        bool utf8 = false;  // the text is UTF-8 rather than ANSI
    };
    // What tells one state of the file from another, taken with a single status call.
    struct Stamp {
        bool exists = false;
        std::uintmax_t size = 0;
        std::int64_t modified = 0;  // nanoseconds
        std::int64_t changed = 0;   // status change, nanoseconds; 0 where unknown
        std::uint64_t file = 0;     // inode: a file renamed over this one differs; 0 where unknown
        bool operator==(const Stamp&) const = default;
    };

    Stamp currentStamp() const;
    void load();
    void refreshIfChanged();
    void parse(const std::string& text);
    void apply(const Change& change);
    void throwIfUnreadable() const;
    Key* findKey(std::string_view utf8Path);
    // The key of that root and path, added at the end unless the file has it already.
    Key& addKey(std::string root, std::string path);
    bool keyExists(std::string_view utf8Path);
    // Sets the value of that name (matched ignoring case, spelling kept) or appends it.
    static void putValue(Key& key, Value value);
    std::string serialize() const;

    std::filesystem::path path_;
    const AnsiCodePage& codePage_;
    std::string loadError_;  // non-empty when the file could not be parsed
    std::vector<Key> keys_;  // in file order
    // keys_ by root and path as names compare, so that a file of many keys reads in linear
    // time.
    std::unordered_map<std::string, std::size_t> keyIndex_;
    int batchDepth_ = 0;
    Stamp stamp_;  // of the file as last read or written
    std::vector<Change> pending_;
};

}  // namespace mq
