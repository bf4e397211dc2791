#pragma once

#include "export/ExportSummary.h"
#include "platform/LocaleSettings.h"
#include "save/FileNameItems.h"
#include "save/TPref.h"
#include "store/FolderMessages.h"
#include "store/StoreReader.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mq {

class OperationHost;

enum class ExportFormat { Mbox, Eml };

// "mbox" and "eml", as the preferences and the command line name them.
std::string_view exportFormatName(ExportFormat format);
std::optional<ExportFormat> parseExportFormat(std::string_view name);

// The folders that have a file of their own in the store folder: what an export takes unless
// told otherwise.
std::vector<std::size_t> foldersWithFiles(const FolderList& folders);

// What an export will do, known before it starts.
struct ExportPlan {
    std::string target;  // UTF-8, as the file system names it
    ExportFormat format = ExportFormat::Mbox;
    std::vector<std::size_t> folders;     // folder-list indexes whose files could be read
    std::size_t messages = 0;             // their messages
    std::vector<std::size_t> messagesIn;  // by folder-list index
    std::vector<ExportFailure> failures;
};

// Reads the records of each chosen folder (indexes into `folders`) from `source` to count its
// messages. Each file is read once: a later folder naming a file an earlier one exports is
// reported as a duplicate. A folder whose file cannot be read is reported in the plan's
// failures and left out, as is (chosen or not) one whose file name leads out of the store
// folder.
ExportPlan planExport(FolderMessages& source, const FolderList& folders,
                      const std::vector<std::size_t>& chosen, std::string target,
                      ExportFormat format);

// Writes the planned folders, their messages as `source` gives them, into plan.target (made when
// missing), nested as the store nests them, and never replaces anything there: a name that is taken
// gets "(2)", "(3)", ..., and names that differ only in letter case count as the same.
// The local store's root ("Local Folders", without a file) adds no level: its folders go to
// the top; other roots without a file (news accounts) keep theirs.
//  - mbox: one mboxrd file per folder, named after it; a subfolder's file lies in the folder
//    "<parent's file>.sbd". A folder that is not exported but holds exported subfolders
//    gets an empty file. No file name ends in ".msf" or ".sbd", which mail programs keep
//    for their own files.
//  - eml: one folder per folder, holding a file per message named by the file-name
//    preferences (`pref` and `items`; CreationDate sets its times), the stored text byte
//    for byte; a subfolder's folder lies inside its parent's.
// Runs inside the progress dialog over all planned messages. A folder that cannot be read
// or written is reported in the summary, by folder, and the rest goes on, up to a full disk
// or a stop request: the folders after it are reported as not attempted; nothing is shown
// through the host's error box. An mbox file that could not be written whole is removed;
// one cut short by a stop request keeps its whole messages and is named in the summary.
ExportSummary ExportAllFolders(OperationHost& host, FolderMessages& source,
                               const FolderList& folders, const ExportPlan& plan, const TPref& pref,
                               const FileNameItems& items,
                               const LocaleSettings& locale = LocaleSettings::user());

}  // namespace mq
