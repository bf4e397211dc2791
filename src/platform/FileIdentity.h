#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace mq {

// What tells one file or folder from another however it is reached: its device (volume)
// and its inode (file index).
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of what `path` (in the file system's encoding) names now, links followed;
// empty when it cannot be reached.
std::optional<FileIdentity> fileIdentity(const std::string& path);

}  // namespace mq
