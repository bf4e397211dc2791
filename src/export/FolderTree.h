#pragma once

#include "platform/AnsiCodePage.h"
#include "store/StoreReader.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace mq {

// How the folders of the folder list nest: each record carries its own id (Direct80) and its
// parent's (Direct81). A parent id that no record carries, or 0, puts a folder at the top; of
// two records with one id the first is the parent; a loop of parents is cut where it closes,
// and a folder deeper than MaxDepth is put at the top, so that no walk over the tree costs
// more than the folders times that depth. Folders are indexes into the folder list.
class FolderTree {
public:
    static constexpr std::size_t MaxDepth = 64;

    explicit FolderTree(const FolderList& folders);

    // In folder-list order.
    const std::vector<std::size_t>& roots() const { return roots_; }
    const std::vector<std::size_t>& children(std::size_t folder) const { return children_[folder]; }
    std::optional<std::size_t> parent(std::size_t folder) const { return parent_[folder]; }
    // 0 at the top.
    std::size_t depth(std::size_t folder) const { return depth_[folder]; }
    // The names from the top down, joined by "/".
    std::string path(std::size_t folder) const;

private:
    const FolderList& folders_;
    std::vector<std::optional<std::size_t>> parent_;
    std::vector<std::size_t> depth_;
    std::vector<std::vector<std::size_t>> children_;
    std::vector<std::size_t> roots_;
};

// The folders with files that `names` (UTF-8) name, by name or by path (Projects/Nordlicht)
// read in `page`, each once in the order named; every folder with a file when no name is
// given. None when a name names no such folder: `unknown` is set to it.
std::optional<std::vector<std::size_t>> foldersNamed(const FolderList& folders,
                                                     const std::vector<std::string>& names,
                                                     const AnsiCodePage& page,
                                                     std::string& unknown);

}  // namespace mq
