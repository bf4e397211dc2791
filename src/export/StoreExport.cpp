#include "export/StoreExport.h"

#include "export/FolderTree.h"
#include "export/Mboxrd.h"
#include "extract/TEmailChk.h"
#include "platform/AnsiCodePage.h"
#include "platform/FileSystem.h"
#include "platform/Unicode.h"
#include "platform/WriteAccess.h"
#include "save/FileList.h"
#include "save/FileNaming.h"
#include "save/FileWrite.h"
#include "save/SaveToFiles.h"
#include "store/StoreError.h"
#include "store/TMessHead.h"
#include "view/OperationHost.h"

#include <cerrno>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <system_error>

namespace mq {

namespace {

namespace fs = std::filesystem;

// A store text (8-bit, in the store's page) as the summary and the file system name it.
std::string utf8(const std::string& text) {
    return AnsiCodePage::store().toUtf8(text);
}

// A store folder's name as a name on disk: made safe like any name from outside, short enough
// to take a number and ".sbd" within the limit of a name (cut between characters), and
// "Folder" when nothing is left. An mbox file's name never ends as a mail program's own files
// do (Thunderbird would take "Child.msf" for the summary of "Child" and overwrite it).
std::string folderFileName(const std::string& storeName, bool mbox) {
    constexpr std::size_t MaxLength = 64;
    std::string name = utf8(storeName);
    if (name.size() > MaxLength) {
        std::size_t keep = MaxLength;
        while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
        name.resize(keep);
    }
    name = safeFileName(std::move(name));
    if (name.empty()) return "Folder";
    const auto endsWith = [&](std::u16string_view suffix) {
        std::u16string wide;
        utf8ToUtf16(name, wide);
        return wide.size() >= suffix.size() &&
               compareIgnoringCase(std::u16string_view(wide).substr(wide.size() - suffix.size()),
                                   suffix) == 0;
    };
    if (mbox && (endsWith(u".msf") || endsWith(u".sbd"))) name.push_back('_');
    return name;
}

// A file name (UTF-8) as names are compared in a folder: letter case ignored, as Windows,
// macOS and the mail programs reading an export do.
std::u16string nameKey(const std::string& utf8Name) {
    std::u16string key;
    utf8ToUtf16(utf8Name, key);
    for (char16_t& c : key) c = foldCase(c);
    return key;
}

// The local store's root: the mail client gives it the id 1 and, in English, this name.
bool isLocalRoot(const Toe5_FolderInfo& folder) {
    return folder.FileName.empty() && (folder.Direct80 == 1 || folder.Name == "Local Folders");
}

std::string noRoomText(const std::string& path) {
    return saveErrorText(path) + ": the disk is full or read-only";
}

constexpr char NoRoomLeft[] = "not attempted: the disk is full or read-only";
constexpr char StoppedBefore[] = "not attempted: the export was cancelled";
constexpr char NoParent[] = "not attempted: its parent folder could not be made";

// Runs one export. It is the host of the readers and writers it calls: progress and the
// stop request go through to the window or the tool, while what they report is kept for
// the summary, by folder, instead of being shown message by message.
class Exporter : public OperationHost {
public:
    Exporter(OperationHost& outer, FolderMessages& source, const FolderList& folders,
             const ExportPlan& plan, const TPref& pref, const FileNameItems& items,
             const LocaleSettings& locale)
        : outer_(outer),
          source_(source),
          folders_(folders),
          plan_(plan),
          pref_(pref),
          items_(items),
          locale_(locale),
          tree_(folders),
          planned_(folders.size(), false),
          needed_(folders.size(), false) {
        for (const std::size_t folder : plan.folders) {
            if (folder >= folders.size()) continue;
            planned_[folder] = true;
            for (std::optional<std::size_t> at = folder; at && !needed_[*at];
                 at = tree_.parent(*at))
                needed_[*at] = true;
        }
    }

    ProgressState& progress() override { return outer_.progress(); }
    bool cancelled() const override { return outer_.cancelled(); }
    void NotifyObservers() override { outer_.NotifyObservers(); }
    // A message that could not be written.
    void showError(const std::string& text) override {
        ++failure_.messages;
        failed(text);
    }

    ExportSummary run() {
        progress().begin(plan_.messages);
        summary_.failures = plan_.failures;
        std::error_code error;
        fs::create_directories(nativePath(plan_.target), error);
        if (error) {
            summary_.failures.push_back({{}, "Cannot create the folder " + plan_.target, 0});
            return summary_;
        }
        for (const std::size_t root : tree_.roots()) exportBranch(root, plan_.target);
        summary_.cancelled = cancelled();
        return summary_;
    }

private:
    bool mbox() const { return plan_.format == ExportFormat::Mbox; }

    // The folder being exported failed; the summary tells the first reason.
    void failed(const std::string& reason) {
        if (failure_.reason.empty()) failure_.reason = reason;
    }

    // None of the folder's messages got out.
    void lostWhole(std::size_t folder) {
        failure_.messages = plan_.messagesIn[folder];
        failure_.wholeFolder = true;
    }

    // Paths here are UTF-8, as the file system names them.
    void exportBranch(std::size_t folder, const std::string& directory) {
        if (!needed_[folder]) return;
        if (cancelled() || noRoom_) {
            notAttempted(folder, noRoom_ ? NoRoomLeft : StoppedBefore);
            return;
        }
        // The local root's folders go where it would have gone.
        if (isLocalRoot(folders_[folder]) && !tree_.parent(folder)) {
            for (const std::size_t child : tree_.children(folder)) exportBranch(child, directory);
            return;
        }
        failure_ = {utf8(tree_.path(folder)), {}, 0};
        const std::optional<std::string> place = freeName(folder, directory);
        if (place) exportFolder(folder, *place);
        if (!failure_.reason.empty()) summary_.failures.push_back(failure_);
        if (!place) {
            for (const std::size_t child : tree_.children(folder)) notAttempted(child, NoParent);
            return;
        }
        const std::string inside = mbox() ? *place + ".sbd" : *place;
        for (const std::size_t child : tree_.children(folder)) {
            if (!needed_[child]) continue;
            // The subfolders' folder of an mbox file is made once there are subfolders.
            std::error_code error;
            if (mbox()) fs::create_directory(nativePath(inside), error);
            exportBranch(child, inside);
        }
    }

    // After a full disk, a stop request or a parent that could not be made: the planned
    // folders of the branch are reported with their messages, so that the summary accounts
    // for every one.
    void notAttempted(std::size_t folder, const char* reason) {
        if (!needed_[folder]) return;
        if (planned_[folder])
            summary_.failures.push_back(
                {utf8(tree_.path(folder)), reason, plan_.messagesIn[folder], true});
        for (const std::size_t child : tree_.children(folder)) notAttempted(child, reason);
    }

    // The path under which the folder goes into `directory`: its name, or the first numbered
    // one, that nothing is using yet, letter case ignored; for mbox its ".sbd" folder's name
    // too.
    std::optional<std::string> freeName(std::size_t folder, const std::string& directory) {
        std::set<std::u16string>* taken = namesIn(directory);
        if (!taken) {
            failed("Cannot list the folder " + directory);
            return std::nullopt;
        }
        const std::string base = folderFileName(folders_[folder].Name, mbox());
        for (std::size_t counter = 1;; ++counter) {
            const std::string name =
                counter == 1 ? base : base + "(" + std::to_string(counter) + ")";
            const std::u16string key = nameKey(name);
            const std::u16string subfolders = key + u".sbd";
            if (taken->contains(key) || (mbox() && taken->contains(subfolders))) continue;
            taken->insert(key);
            if (mbox()) taken->insert(subfolders);
            return fileSystemPath(directory, name);
        }
    }

    // The names in a folder of the target, listed when first asked for and kept up to date
    // with what the export puts there; null when it cannot be listed.
    std::set<std::u16string>* namesIn(const std::string& directory) {
        const auto known = taken_.find(directory);
        if (known != taken_.end()) return &known->second;
        std::set<std::u16string> names;
        std::error_code error;
        for (fs::directory_iterator it(nativePath(directory), error), end; !error && it != end;
             it.increment(error)) {
            const std::u8string name = it->path().filename().u8string();
            names.insert(nameKey(std::string(name.begin(), name.end())));
        }
        if (error) return nullptr;
        return &taken_.emplace(directory, std::move(names)).first->second;
    }

    void exportFolder(std::size_t folder, const std::string& path) {
        if (mbox()) {
            if (planned_[folder])
                writeMbox(folder, path);
            else if (int error = 0; !writeNewFile(path, {}, &error))
                writeFailed(path, error);
            return;
        }
        std::error_code error;
        if (!fs::create_directory(nativePath(path), error)) {
            failed("Cannot create the folder " + path);
            if (planned_[folder]) lostWhole(folder);
            return;
        }
        if (planned_[folder]) writeEml(folder, path);
    }

    // Reads the folder's messages from one open of its file and hands each to `write` with
    // its place in `infos`. False when the file could not be read (reported for the folder):
    // locked, gone, or more than the memory there is holds.
    bool readMessages(std::size_t folder,
                      const std::function<bool(const MessageInfoList& infos, std::size_t index,
                                               std::string& text)>& write) {
        const std::string& file = folders_[folder].FileName;
        progress().ProgressPrefix = "Exporting " + utf8(tree_.path(folder)) + ": ";
        MessageInfoList infos;
        try {
            source_.readFolderMessages(file, infos, *this, [&](std::size_t i, std::string& text) {
                return write(infos, i, text);
            });
            return true;
        } catch (const std::exception&) {
            failed(cannotAccessText(utf8(file)));
            return false;
        }
    }

    // A stop request ended the folder before its last message.
    void noteCutShort(std::size_t folder, std::size_t written) {
        if (cancelled() && written < plan_.messagesIn[folder])
            summary_.cutShort = {utf8(tree_.path(folder)), written, plan_.messagesIn[folder]};
    }

    // A full or read-only disk refuses every later write too: the export ends there.
    void writeFailed(const std::string& path, int error) {
        if (isNoRoomError(error)) {
            failed(noRoomText(path));
            noRoom_ = true;
        } else {
            failed(saveErrorText(path));
        }
    }

    void writeMbox(std::size_t folder, const std::string& path) {
        // Written in large pieces: one call per message would cost more than the quoting.
        constexpr std::size_t PieceSize = 1 << 20;
        NewFile file(path);
        if (!file.good()) {
            writeFailed(path, file.error());
            lostWhole(folder);
            return;
        }
        std::size_t messages = 0;
        std::uint64_t bytes = 0;
        std::string piece;
        const bool read = readMessages(
            folder, [&](const MessageInfoList& infos, std::size_t i, std::string& text) {
                const Toe5_MessageInfo& info = infos[i];
                progress().ProgressItem = utf8(info.Subject);
                piece += mboxFromLine(
                    text, info.ReceivedDate != 0 ? info.ReceivedDate : info.SentDate, checker_);
                appendMboxrdMessage(piece, text);
                ++messages;
                if (piece.size() >= PieceSize) {
                    file.append(piece);
                    bytes += piece.size();
                    piece.clear();
                }
                ++progress().ProgressDone;
                NotifyObservers();
                return file.good();
            });
        // A folder that could not be read is not there at all: no file that looks complete.
        if (!read) {
            lostWhole(folder);
            return;  // the file goes with `file`
        }
        file.append(piece);
        bytes += piece.size();
        // A file that could not be written whole is gone, and with it its messages.
        if (!file.close()) {
            writeFailed(path, file.error());
            lostWhole(folder);
            return;
        }
        ++summary_.folders;
        summary_.messages += messages;
        summary_.bytes += bytes;
        noteCutShort(folder, messages);
    }

    void writeEml(std::size_t folder, const std::string& directory) {
        TPref pref(pref_);
        pref.Directory = directory;
        std::vector<TMessHead> heads;
        std::size_t written = 0, handled = 0;
        const bool read = readMessages(
            folder, [&](const MessageInfoList& infos, std::size_t i, std::string& text) {
                // Every record is read before the first text.
                if (heads.empty()) heads = buildMessageList(infos);
                const TMessHead& head = heads[i];
                const std::string name = ComposeFileName(head, items_, pref, fileList_, locale_);
                progress().ProgressItem = name;
                ++progress().ProgressDone;
                ++handled;
                switch (WriteMessageFile(*this, pref, fileList_, name, text)) {
                    case WriteOutcome::Written:
                        ++written;
                        ++summary_.messages;
                        summary_.bytes += text.size();
                        if (pref.CreationDate)
                            SetFileDates(fileSystemPath(directory, name), head.Received);
                        return true;
                    case WriteOutcome::Failed:
                        return true;
                    case WriteOutcome::NoRoom:
                        ++failure_.messages;
                        writeFailed(fileSystemPath(directory, name), ENOSPC);
                        return false;
                }
                return true;
            });
        // Those written are there whole; a failed read or a full disk left the rest unwritten.
        if (!read || noRoom_) {
            failure_.messages +=
                plan_.messagesIn[folder] - std::min(handled, plan_.messagesIn[folder]);
            return;
        }
        ++summary_.folders;
        noteCutShort(folder, written);
    }

    OperationHost& outer_;
    FolderMessages& source_;
    const FolderList& folders_;
    const ExportPlan& plan_;
    const TPref& pref_;
    const FileNameItems& items_;
    const LocaleSettings& locale_;
    FolderTree tree_;
    std::vector<bool> planned_;
    std::vector<bool> needed_;  // planned, or holding a planned folder
    TEmailChk checker_;
    FileList fileList_;
    std::map<std::string, std::set<std::u16string>> taken_;  // by folder of the target
    ExportFailure failure_;                                  // of the folder being exported
    bool noRoom_ = false;
    ExportSummary summary_;
};

}  // namespace

std::string_view exportFormatName(ExportFormat format) {
    return format == ExportFormat::Mbox ? "mbox" : "eml";
}

std::optional<ExportFormat> parseExportFormat(std::string_view name) {
    if (name == "mbox") return ExportFormat::Mbox;
    if (name == "eml") return ExportFormat::Eml;
    return std::nullopt;
}

std::vector<std::size_t> foldersWithFiles(const FolderList& folders) {
    std::vector<std::size_t> chosen;
    for (std::size_t i = 0; i < folders.size(); ++i)
        if (isStoreFileName(folders[i].FileName)) chosen.push_back(i);
    return chosen;
}

ExportPlan planExport(FolderMessages& source, const FolderList& folders,
                      const std::vector<std::size_t>& chosen, std::string target,
                      ExportFormat format) {
    ExportPlan plan{std::move(target), format, {}, 0, std::vector<std::size_t>(folders.size()), {}};
    const FolderTree tree(folders);
    // A damaged folder list may name a file such as "../secret/private.dbx".
    for (std::size_t folder = 0; folder < folders.size(); ++folder) {
        const std::string& file = folders[folder].FileName;
        if (!file.empty() && !isStoreFileName(file))
            plan.failures.push_back({utf8(tree.path(folder)),
                                     "its file name " + utf8(file) +
                                         " leads out of the store folder: it is no folder of "
                                         "this store and is listed without a file",
                                     0});
    }
    // Each file once, its name compared as the reader finds it, letter case ignored.
    std::map<std::u16string, std::size_t> exporting;
    for (const std::size_t folder : chosen) {
        if (folder >= folders.size() || !isStoreFileName(folders[folder].FileName)) continue;
        const std::string& file = folders[folder].FileName;
        const auto [first, isNew] = exporting.emplace(nameKey(utf8(file)), folder);
        if (!isNew) {
            plan.failures.push_back({utf8(tree.path(folder)),
                                     "a duplicate: its file " + utf8(file) + " is exported as " +
                                         utf8(tree.path(first->second)),
                                     0});
            continue;
        }
        MessageInfoList infos;
        try {
            source.readMessageRecords(file, infos);
        } catch (const std::exception&) {
            // Locked, gone, or more than the memory there is holds.
            plan.failures.push_back({utf8(tree.path(folder)), cannotAccessText(utf8(file)), 0});
            continue;
        }
        plan.folders.push_back(folder);
        plan.messagesIn[folder] = infos.size();
        plan.messages += infos.size();
    }
    return plan;
}

ExportSummary ExportAllFolders(OperationHost& host, FolderMessages& source,
                               const FolderList& folders, const ExportPlan& plan, const TPref& pref,
                               const FileNameItems& items, const LocaleSettings& locale) {
    return Exporter(host, source, folders, plan, pref, items, locale).run();
}

}  // namespace mq
