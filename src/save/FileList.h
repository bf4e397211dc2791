#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace mq {

// The names (UTF-8, without folder) known to exist in the target folder.
//
// Listing a folder again and again is what keeps each uniqueness check current, but it
// costs the whole folder per check. Where the kernel can report changes to a folder, the
// list keeps one listing and applies the reported changes instead, so each refresh costs
// only what changed; it falls back to a fresh listing when notification is unavailable or
// has lost events.
class FileList {
public:
    FileList();
    ~FileList();
    FileList(const FileList&) = delete;
    FileList& operator=(const FileList&) = delete;

    void clear();
    void append(const std::string& name);
    // Ignoring letter case under the user's locale.
    bool contains(std::string_view name) const;
    std::size_t size() const;

    // Makes the list hold exactly the names of the non-folder entries of `folder`
    // (UTF-8), as a fresh listing would. False, list unchanged, when the folder
    // cannot be listed.
    bool refreshFrom(const std::string& folder);

    // Numbering a name that is taken many times over would try every variant from "(2)"
    // on each time. The list remembers the first variant not yet known to be taken; that
    // stays true until a name leaves the list.
    int firstUntriedCounter(const std::string& name) const;
    void rememberTaken(const std::string& name, int lastTakenCounter);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace mq
