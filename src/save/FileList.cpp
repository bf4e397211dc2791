#include "save/FileList.h"

#include "platform/AsciiCase.h"
#include "platform/FileIdentity.h"
#include "platform/FileSystem.h"
#include "platform/LocaleCompare.h"
#include "platform/Unicode.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <system_error>
#include <unordered_map>

#ifdef __linux__
#include <sys/inotify.h>
#include <sys/vfs.h>
#include <unistd.h>
#endif

namespace mq {

namespace {

// Every lookup of a list of thousands of names compares a dozen times or more; the locale
// comparison widens both texts each time, which ASCII names on this platform do not need.
struct LocaleLess {
    bool operator()(const std::string& a, const std::string& b) const {
#ifndef _WIN32
        // Two ASCII names order as their lower-cased bytes.
        if (isAscii(a) && isAscii(b))
            return asciiLessIgnoringCase(a, b);
#endif
        return utf8CompareIgnoreCase(a, b) < 0;
    }
};
using NameSet = std::multiset<std::string, LocaleLess>;

// The names of the folder's entries that are not folders, in UTF-8. False when the folder
// cannot be listed.
bool list(const std::string& folderUtf8, NameSet& into) {
    return listFiles(folderUtf8, [&into](const std::string& name) { into.insert(name); });
}

}  // namespace

struct FileList::State {
    NameSet names;
    // Counted up whenever a name may have left the list; hints from before are void.
    std::uint64_t removals = 0;
    struct Hint {
        int counter;
        std::uint64_t removals;
    };
    std::unordered_map<std::string, Hint> hints;

    void replaceNames(NameSet fresh) {
        names = std::move(fresh);
        ++removals;
    }

    void addIfAbsent(const std::string& name) {
        auto [first, last] = names.equal_range(name);
        for (auto it = first; it != last; ++it) {
            if (*it == name) return;
        }
        names.insert(name);
    }

    void removeExact(const std::string& name) {
        auto [first, last] = names.equal_range(name);
        for (auto it = first; it != last; ++it) {
            if (*it == name) {
                names.erase(it);
                ++removals;
                return;
            }
        }
    }

#ifdef __linux__
    // A folder whose changes the kernel reports to us: `names` then mirrors it without
    // listing it again.
    int notifyFd = -1;
    int watch = -1;
    std::string watchedFolder;  // UTF-8, empty when nothing is watched
    FileIdentity watchedIdentity;

    ~State() {
        if (notifyFd >= 0) ::close(notifyFd);
    }

    void stopWatching() {
        if (notifyFd >= 0 && watch >= 0) inotify_rm_watch(notifyFd, watch);
        watch = -1;
        watchedFolder.clear();
    }

    // Network and user-space file systems do not report changes made elsewhere.
    static bool reportsAllChanges(const std::string& folder) {
        struct statfs info {};
        if (statfs(folder.c_str(), &info) != 0) return false;
        switch (static_cast<unsigned long>(info.f_type)) {
            case 0x6969UL:      // NFS
            case 0x517BUL:      // SMB
            case 0xFF534D42UL:  // CIFS
            case 0xFE534D42UL:  // SMB2
            case 0x65735546UL:  // FUSE
            case 0x01021997UL:  // 9P
                return false;
            default:
                return true;
        }
    }

    void startWatching(const std::string& folder) {
        stopWatching();
        const std::optional<FileIdentity> identity = fileIdentity(folder);
        if (!identity || !reportsAllChanges(folder)) return;
        watchedIdentity = *identity;
        if (notifyFd < 0) notifyFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (notifyFd < 0) return;
        watch = inotify_add_watch(notifyFd, folder.c_str(),
                                  IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                      IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
        if (watch >= 0) watchedFolder = folder;
    }

    // Applies the changes reported since the last call. False when they cannot be trusted
    // (events lost, the folder itself gone or moved): the folder must be listed again.
    bool applyChanges() {
        alignas(inotify_event) char buffer[64 * 1024];
        constexpr ssize_t LargestEvent = sizeof(inotify_event) + NAME_MAX + 1;
        for (;;) {
            const ssize_t length = ::read(notifyFd, buffer, sizeof buffer);
            if (length <= 0) return length == 0 || errno == EAGAIN || errno == EWOULDBLOCK;
            // A read that left room for another event took all there were; asking again
            // would only cost a system call per refresh to hear that nothing is left.
            const bool drained = length <= ssize_t(sizeof buffer) - LargestEvent;
            for (ssize_t offset = 0; offset < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
                offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                if (event->mask & IN_Q_OVERFLOW) return false;
                // Late events of a folder watched before belong to nobody now.
                if (event->wd != watch) continue;
                if (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) {
                    return false;
                }
                if (event->len == 0 || (event->mask & IN_ISDIR)) continue;
                const std::string name = event->name;
                if (event->mask & (IN_CREATE | IN_MOVED_TO)) addIfAbsent(name);
                if (event->mask & (IN_DELETE | IN_MOVED_FROM)) removeExact(name);
            }
            if (drained) return true;
        }
    }

    bool refresh(const std::string& folder) {
        // The changes reported are those of the folder watched. When its path has come to
        // name another folder (a link repointed, a file system mounted over it), they tell
        // nothing of that one.
        if (!watchedFolder.empty() && watchedFolder == folder &&
            fileIdentity(folder) == watchedIdentity && applyChanges())
            return true;

        // Watch first, so that a change made while the folder is being listed is not lost;
        // applying it afterwards is harmless.
        startWatching(folder);
        NameSet fresh;
        if (!list(folder, fresh)) {
            stopWatching();
            return false;
        }
        replaceNames(std::move(fresh));
        if (!watchedFolder.empty() && !applyChanges()) stopWatching();
        return true;
    }
#else
    bool refresh(const std::string& folder) {
        NameSet fresh;
        if (!list(folder, fresh)) return false;
        replaceNames(std::move(fresh));
        return true;
    }
#endif
};

FileList::FileList() : state_(std::make_unique<State>()) {}
FileList::~FileList() = default;

void FileList::clear() {
    state_->replaceNames({});
#ifdef __linux__
    state_->stopWatching();
#endif
}

void FileList::append(const std::string& name) {
    state_->addIfAbsent(name);
}

bool FileList::contains(std::string_view name) const {
    return state_->names.find(std::string(name)) != state_->names.end();
}

std::size_t FileList::size() const {
    return state_->names.size();
}

bool FileList::refreshFrom(const std::string& folder) {
    return state_->refresh(folder);
}

int FileList::firstUntriedCounter(const std::string& name) const {
    const auto hint = state_->hints.find(name);
    if (hint == state_->hints.end() || hint->second.removals != state_->removals) return 2;
    return hint->second.counter;
}

void FileList::rememberTaken(const std::string& name, int lastTakenCounter) {
    state_->hints[name] = State::Hint{lastTakenCounter + 1, state_->removals};
}

}  // namespace mq
