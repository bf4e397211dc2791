#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mq {

// What a search of a folder learned by decoding its messages, kept for the rest of the
// program's run so that the next search of that folder reads no message again: each
// message's fields, folded. Only in memory, never beside the store; an entry holds while its
// file keeps its size and time. All entries together stay within the size of the largest
// folder file searched (folded text is no longer than the file that holds it), the entries
// used longest ago going first.
class SearchCache {
public:
    // The fields of one folder's messages, by row of its record list.
    class Folder {
    public:
        static constexpr std::size_t Fields = 4;  // subject, people, text, attachments
        void add(const std::array<std::string_view, Fields>& fields);
        std::size_t rows() const { return spans_.size() / Fields; }
        std::size_t bytes() const;
        std::string_view field(std::size_t row, std::size_t which) const;

    private:
        struct Span {
            std::uint32_t chunk = 0;
            std::uint32_t offset = 0;
            std::size_t size = 0;
        };
        // Filled a chunk at a time, so that a growing folder is never copied whole.
        std::vector<std::string> chunks_;
        std::vector<Span> spans_;
    };

    // A folder file as it is now: what an entry is valid for.
    struct Stamp {
        std::uint64_t size = 0;
        std::int64_t time = 0;
        bool operator==(const Stamp&) const = default;
    };
    // None when the file cannot be looked at.
    static std::optional<Stamp> stampOf(const std::string& path);

    // The entry for `path` when it was made from the file as `stamp` describes it.
    const Folder* find(const std::string& path, const Stamp& stamp);
    void keep(const std::string& path, const Stamp& stamp, Folder folder);

private:
    struct Entry {
        std::string path;
        Stamp stamp;
        Folder folder;
    };
    std::list<Entry> entries_;  // most recently used first
    std::uint64_t largestFile_ = 0;
};

}  // namespace mq
