#include "export/FolderTree.h"

#include "export/StoreExport.h"

#include <algorithm>
#include <unordered_map>

namespace mq {

namespace {

constexpr std::size_t Unknown = static_cast<std::size_t>(-1);

}  // namespace

FolderTree::FolderTree(const FolderList& folders)
    : folders_(folders),
      parent_(folders.size()),
      depth_(folders.size(), Unknown),
      children_(folders.size()) {
    std::unordered_map<std::uint32_t, std::size_t> byId;
    for (std::size_t i = 0; i < folders.size(); ++i)
        if (folders[i].Direct80 != 0) byId.emplace(folders[i].Direct80, i);
    for (std::size_t i = 0; i < folders.size(); ++i) {
        const auto found = byId.find(folders[i].Direct81);
        if (folders[i].Direct81 != 0 && found != byId.end() && found->second != i)
            parent_[i] = found->second;
    }

    // Each chain of parents is followed once; meeting a folder of the chain being followed
    // closes a loop, which the last link taken is cut from.
    enum class State { Unseen, OnChain, Done };
    std::vector<State> state(folders.size(), State::Unseen);
    std::vector<std::size_t> chain;
    for (std::size_t start = 0; start < folders.size(); ++start) {
        chain.clear();
        for (std::optional<std::size_t> at = start; at && state[*at] == State::Unseen;
             at = parent_[*at]) {
            state[*at] = State::OnChain;
            chain.push_back(*at);
            const auto up = parent_[*at];
            if (up && state[*up] == State::OnChain) parent_[*at].reset();
        }
        for (const std::size_t folder : chain) state[folder] = State::Done;
    }

    // Depths from the top down along each chain, once per folder.
    for (std::size_t start = 0; start < folders.size(); ++start) {
        chain.clear();
        std::optional<std::size_t> at = start;
        for (; at && depth_[*at] == Unknown; at = parent_[*at]) chain.push_back(*at);
        std::size_t depth = at ? depth_[*at] + 1 : 0;
        for (auto folder = chain.rbegin(); folder != chain.rend(); ++folder, ++depth) {
            if (depth > MaxDepth) {
                parent_[*folder].reset();
                depth = 0;
            }
            depth_[*folder] = depth;
        }
    }

    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (parent_[i])
            children_[*parent_[i]].push_back(i);
        else
            roots_.push_back(i);
    }
}

std::string FolderTree::path(std::size_t folder) const {
    std::string path = folders_[folder].Name;
    for (auto up = parent_[folder]; up; up = parent_[*up]) path = folders_[*up].Name + "/" + path;
    return path;
}

std::optional<std::vector<std::size_t>> foldersNamed(const FolderList& folders,
                                                     const std::vector<std::string>& names,
                                                     const AnsiCodePage& page,
                                                     std::string& unknown) {
    const std::vector<std::size_t> withFiles = foldersWithFiles(folders);
    if (names.empty()) return withFiles;
    const FolderTree tree(folders);
    std::vector<std::size_t> chosen;
    for (const std::string& name : names) {
        bool found = false;
        for (const std::size_t folder : withFiles) {
            if (page.toUtf8(folders[folder].Name) != name && page.toUtf8(tree.path(folder)) != name)
                continue;
            found = true;
            if (std::find(chosen.begin(), chosen.end(), folder) == chosen.end())
                chosen.push_back(folder);
        }
        if (!found) {
            unknown = name;
            return std::nullopt;
        }
    }
    return chosen;
}

}  // namespace mq
