#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace mq {

// The found addresses: sorted by the user's locale comparison ignoring case, without
// entries that compare equal (the first one added keeps its letter case).
class FoundAddresses {
public:
    // False when an equal entry is already present.
    bool add(const std::string& address);
    // True when exactly this text was added before (whether or not it made an entry).
    bool met(std::string_view address) const { return met_.contains(address); }
    const std::vector<std::string>& items() const { return items_; }
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    void clear() {
        items_.clear();
        met_.clear();
    }

private:
    std::vector<std::string> items_;
    // Every text offered so far, byte for byte: each one is equal to an entry, so meeting it
    // again needs no locale comparison. Addresses repeat a lot across a mailbox.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept {
            return std::hash<std::string_view>{}(text);
        }
    };
    std::unordered_set<std::string, TextHash, std::equal_to<>> met_;
};

}  // namespace mq
