#include "export/StoreExport.h"

#include "export/FolderTree.h"
#include "export/Mboxrd.h"
#include "extract/TEmailChk.h"
#include "platform/AnsiCodePage.h"
#include "platform/RegistryError.h"
#include "platform/StoreFile.h"
#include "platform/WriteAccess.h"
#include "save/FileList.h"
#include "save/FileNaming.h"
#include "save/FileWrite.h"
#include "save/SaveToFiles.h"
#include "store/StoreError.h"
#include "store/TMessHead.h"
#include "view/OperationHost.h"

#include <cerrno>
#include <filesystem>
#include <functional>
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
// "Folder" when nothing is left.
std::string folderFileName(const std::string& storeName) {
    constexpr std::size_t MaxLength = 64;
    std::string name = utf8(storeName);
    if (name.size() > MaxLength) {
        std::size_t keep = MaxLength;
        while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
        name.resize(keep);
    }
    name = safeFileName(std::move(name));
    return name.empty() ? "Folder" : name;
}

fs::path diskPath(const std::string& utf8Path) {
    return fs::path(std::u8string(utf8Path.begin(), utf8Path.end()));
}

enum class Entry { Free, Taken, Unknown };

Entry entryAt(const std::string& path) {
    std::error_code error;
    switch (fs::symlink_status(diskPath(path), error).type()) {
        case fs::file_type::not_found:
            return Entry::Free;
        case fs::file_type::none:
            return Entry::Unknown;
        default:
            return Entry::Taken;
    }
}

std::string saveErrorText(const std::string& path) {
    return "Error during file save to: " + path;
}

std::string noRoomText(const std::string& path) {
    return saveErrorText(path) + ": the disk is full or read-only";
}

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
        fs::create_directories(diskPath(plan_.target), error);
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

    // Paths here are UTF-8, as the file system names them.
    void exportBranch(std::size_t folder, const std::string& directory) {
        if (!needed_[folder] || cancelled() || noRoom_) return;
        failure_ = {utf8(tree_.path(folder)), {}, 0};
        const std::optional<std::string> place = freeName(folder, directory);
        if (place) exportFolder(folder, *place);
        if (!failure_.reason.empty()) summary_.failures.push_back(failure_);
        if (!place) return;
        const std::string inside = mbox() ? *place + ".sbd" : *place;
        for (const std::size_t child : tree_.children(folder)) {
            if (!needed_[child]) continue;
            // The subfolders' folder of an mbox file is made once there are subfolders.
            std::error_code error;
            if (mbox()) fs::create_directory(diskPath(inside), error);
            exportBranch(child, inside);
        }
    }

    // The path under which the folder goes into `directory`: its name, or the first numbered
    // one, that nothing is using yet; for mbox its ".sbd" folder's name too.
    std::optional<std::string> freeName(std::size_t folder, const std::string& directory) {
        const std::string base = folderFileName(folders_[folder].Name);
        for (std::size_t counter = 1;; ++counter) {
            const std::string name =
                counter == 1 ? base : base + "(" + std::to_string(counter) + ")";
            const std::string path = fileSystemPath(directory, name);
            const Entry entry = entryAt(path);
            const Entry subfolders = mbox() ? entryAt(path + ".sbd") : Entry::Free;
            if (entry == Entry::Unknown || subfolders == Entry::Unknown) {
                failed("Cannot list the folder " + directory);
                return std::nullopt;
            }
            if (entry == Entry::Free && subfolders == Entry::Free) return path;
        }
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
        if (!fs::create_directory(diskPath(path), error)) {
            failed("Cannot create the folder " + path);
            return;
        }
        if (planned_[folder]) writeEml(folder, path);
    }

    // Reads the folder's messages from one open of its file and hands each to `write` with
    // its place in `infos`; a read failure is reported for the folder.
    void readMessages(std::size_t folder,
                      const std::function<bool(const MessageInfoList& infos, std::size_t index,
                                               std::string& text)>& write) {
        const std::string& file = folders_[folder].FileName;
        progress().ProgressPrefix = "Exporting " + utf8(tree_.path(folder)) + ": ";
        MessageInfoList infos;
        try {
            source_.readFolderMessages(file, infos, *this, [&](std::size_t i, std::string& text) {
                return write(infos, i, text);
            });
        } catch (const StoreError&) {
            failed(cannotAccessText(utf8(file)));
        } catch (const RegistryError&) {
            failed(cannotAccessText(utf8(file)));
        }
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
            return;
        }
        std::size_t messages = 0;
        std::uint64_t bytes = 0;
        std::string piece;
        readMessages(folder, [&](const MessageInfoList& infos, std::size_t i, std::string& text) {
            const Toe5_MessageInfo& info = infos[i];
            progress().ProgressItem = utf8(info.Subject);
            piece += mboxFromLine(text, info.ReceivedDate != 0 ? info.ReceivedDate : info.SentDate,
                                  checker_);
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
        file.append(piece);
        bytes += piece.size();
        // A file that could not be written whole is gone, and with it its messages.
        if (!file.close()) {
            writeFailed(path, file.error());
            return;
        }
        ++summary_.folders;
        summary_.messages += messages;
        summary_.bytes += bytes;
    }

    void writeEml(std::size_t folder, const std::string& directory) {
        TPref pref(pref_);
        pref.Directory = directory;
        std::vector<TMessHead> heads;
        readMessages(folder, [&](const MessageInfoList& infos, std::size_t i, std::string& text) {
            // Every record is read before the first text.
            if (heads.empty()) heads = buildMessageList(infos);
            const TMessHead& head = heads[i];
            const std::string name = ComposeFileName(head, items_, pref, fileList_, locale_);
            progress().ProgressItem = name;
            ++progress().ProgressDone;
            switch (WriteMessageFile(*this, pref, fileList_, name, text)) {
                case WriteOutcome::Written:
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
        ++summary_.folders;
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
    ExportFailure failure_;  // of the folder being exported
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
        if (!folders[i].FileName.empty()) chosen.push_back(i);
    return chosen;
}

ExportPlan planExport(FolderMessages& source, const FolderList& folders,
                      const std::vector<std::size_t>& chosen, std::string target,
                      ExportFormat format) {
    ExportPlan plan{std::move(target), format, {}, 0, {}};
    const FolderTree tree(folders);
    for (const std::size_t folder : chosen) {
        if (folder >= folders.size() || folders[folder].FileName.empty()) continue;
        MessageInfoList infos;
        try {
            source.readMessageRecords(folders[folder].FileName, infos);
        } catch (const StoreError&) {
            plan.failures.push_back(
                {utf8(tree.path(folder)), cannotAccessText(utf8(folders[folder].FileName)), 0});
            continue;
        } catch (const RegistryError&) {
            plan.failures.push_back(
                {utf8(tree.path(folder)), cannotAccessText(utf8(folders[folder].FileName)), 0});
            continue;
        }
        plan.folders.push_back(folder);
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
