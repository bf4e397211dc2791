#include "search/SearchCache.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace mq {

namespace {

constexpr std::size_t ChunkSize = 4 * 1024 * 1024;

}  // namespace

void SearchCache::Folder::add(const std::array<std::string_view, Fields>& fields) {
    std::size_t size = 0;
    for (const std::string_view field : fields) size += field.size();
    if (chunks_.empty() || chunks_.back().size() + size > chunks_.back().capacity()) {
        chunks_.emplace_back();
        chunks_.back().reserve(std::max(size, ChunkSize));
    }
    std::string& chunk = chunks_.back();
    for (const std::string_view field : fields) {
        spans_.push_back({static_cast<std::uint32_t>(chunks_.size() - 1),
                          static_cast<std::uint32_t>(chunk.size()), field.size()});
        chunk += field;
    }
}

std::size_t SearchCache::Folder::bytes() const {
    std::size_t total = spans_.size() * sizeof(Span);
    for (const std::string& chunk : chunks_) total += chunk.capacity();
    return total;
}

std::string_view SearchCache::Folder::field(std::size_t row, std::size_t which) const {
    const Span& span = spans_[row * Fields + which];
    return std::string_view(chunks_[span.chunk]).substr(span.offset, span.size);
}

std::optional<SearchCache::Stamp> SearchCache::stampOf(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path file(std::u8string(path.begin(), path.end()));
    std::error_code error;
    const std::uintmax_t size = fs::file_size(file, error);
    if (error) return std::nullopt;
    const fs::file_time_type time = fs::last_write_time(file, error);
    if (error) return std::nullopt;
    return Stamp{size, static_cast<std::int64_t>(time.time_since_epoch().count())};
}

const SearchCache::Folder* SearchCache::find(const std::string& path, const Stamp& stamp) {
    for (auto entry = entries_.begin(); entry != entries_.end(); ++entry) {
        if (entry->path != path) continue;
        if (entry->stamp != stamp) {
            entries_.erase(entry);  // the file changed: what it held is gone
            return nullptr;
        }
        entries_.splice(entries_.begin(), entries_, entry);
        return &entries_.front().folder;
    }
    return nullptr;
}

void SearchCache::keep(const std::string& path, const Stamp& stamp, Folder folder) {
    largestFile_ = std::max(largestFile_, stamp.size);
    std::erase_if(entries_, [&path](const Entry& entry) { return entry.path == path; });
    if (folder.bytes() > largestFile_) return;
    entries_.push_front({path, stamp, std::move(folder)});
    std::uint64_t total = 0;
    for (auto entry = entries_.begin(); entry != entries_.end(); ++entry) {
        total += entry->folder.bytes();
        if (total > largestFile_) {
            entries_.erase(entry, entries_.end());
            break;
        }
    }
}

}  // namespace mq
