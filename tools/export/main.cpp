// mailquarry-export: a whole store, or some of its folders, into mbox files or folders of
// .eml files, in one run.
#include "ProgressLine.h"
#include "ReadOnlyRegistry.h"

#include "export/FolderTree.h"
#include "export/StoreExport.h"
#include "platform/AnsiCodePage.h"
#include "platform/FileSystem.h"
#include "platform/RegistryError.h"
#include "save/FileNameItems.h"
#include "save/TPref.h"
#include "store/StoreCodePage.h"
#include "store/StoreReader.h"
#ifdef MAILQUARRY_WITH_RECOVER
#include "recover/RecoveredFolders.h"
#endif
#ifdef MAILQUARRY_WITH_SEARCH
#include "search/MatchingMessages.h"
#endif

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr const char* Help =
    "usage: mailquarry-export [--recover] [--store PATH] [--format mbox|eml] [--folder NAME]...\n"
    "                         [--match QUERY [--in FIELDS] [--after DATE] [--before DATE]]\n"
    "                         [--code-page N] OUTDIR\n"
    "\n"
    "Exports the folders of an Outlook Express 5 mail store into OUTDIR, which is made\n"
    "when missing. The store is only read.\n"
    "\n"
    "  --store PATH   the store at PATH: a store folder (the folder holding folders.dbx),\n"
    "                 a folder of loose .dbx files (one folder each) or a single .dbx file;\n"
    "                 without it, the store the registry names (its \"Store Root\")\n"
    "  --format mbox  one mboxrd file per folder, a subfolder's file in the folder\n"
    "                 \"<parent>.sbd\", as Thunderbird lays them out (the default)\n"
    "  --format eml   one folder per folder, nested as in the store, holding one .eml file\n"
    "                 per message, named by Mailquarry's save preferences\n"
    "  --folder NAME  only this folder: its name, or its path such as Projects/Nordlicht;\n"
    "                 may be given more than once (default: every folder with messages)\n"
    "  --code-page N  the code page the store's texts (folder names, subjects) were written\n"
    "                 in: 874, 932, 936, 949, 950, 1250 to 1258 (default: the page the\n"
    "                 store's messages declare most often, else the one of the locale)\n"
    "  --recover      instead of the messages a folder lists, the ones its index no longer\n"
    "                 reaches: a scan of each folder's file finds their texts, which are\n"
    "                 written as they remain (cut short where a block was overwritten);\n"
    "                 folders where nothing is found are left out\n"
    "  --match QUERY  only the messages that hold every word and \"quoted phrase\" of QUERY,\n"
    "                 case ignored, in the fields --in names: any of subject, people, text\n"
    "                 and attachments, comma-separated (default: subject,people)\n"
    "  --after DATE   with --match: only messages received on DATE (YYYY-MM-DD) or later\n"
    "  --before DATE  with --match: only messages received before DATE\n"
    "  --help         this text\n"
    "\n"
    "Nothing in OUTDIR is replaced: a name that is taken gets (2), (3), ... A folder whose\n"
    "file cannot be read (the mail client holds it, or it is damaged) is reported and the\n"
    "rest is exported. Progress goes to standard error, redrawn as a bar with counts on a\n"
    "terminal; Ctrl-C (or SIGTERM, SIGHUP) stops after the message being exported, keeps\n"
    "what was written and names the folder cut short. The summary goes to standard output.\n"
    "\n"
    "Exit status: 0 everything was exported; 1 a usage error, or the store cannot be read;\n"
    "2 some folders or messages were not exported.\n";

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Arguments {
    std::optional<std::string> store;
    bool recover = false;
    mq::ExportFormat format = mq::ExportFormat::Mbox;
    std::vector<std::string> folders;  // UTF-8
    std::optional<int> codePage;
    std::string target;  // UTF-8, as the file calls take it
    bool help = false;
    std::optional<std::string> match;  // UTF-8, as typed
    std::optional<std::string> fields, after, before;
};

int codePageArgument(const std::string& text) {
    int page = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), page);
    if (error != std::errc() || end != text.data() + text.size() ||
        !mq::AnsiCodePage::isWindowsPage(page))
        throw UsageError("not a Windows ANSI code page: " + text);
    return page;
}

Arguments parse(int argc, char** argv) {
    Arguments args;
    std::optional<std::string> target;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw UsageError(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            args.help = true;
        } else if (arg == "--recover") {
#ifndef MAILQUARRY_WITH_RECOVER
            throw UsageError("this build cannot recover messages: it has no GMime");
#endif
            args.recover = true;
        } else if (arg == "--store") {
            args.store = mq::commandLinePath(value());
        } else if (arg == "--format") {
            const std::string name = value();
            const auto format = mq::parseExportFormat(name);
            if (!format) throw UsageError("unknown format " + name + " (mbox or eml)");
            args.format = *format;
        } else if (arg == "--folder") {
            args.folders.push_back(mq::commandLinePath(value()));
        } else if (arg == "--code-page") {
            args.codePage = codePageArgument(value());
        } else if (arg == "--match" || arg == "--in" || arg == "--after" || arg == "--before") {
#ifndef MAILQUARRY_WITH_SEARCH
            throw UsageError("this build cannot find messages: it has no GMime");
#endif
            std::optional<std::string>& slot = arg == "--match"   ? args.match
                                               : arg == "--in"    ? args.fields
                                               : arg == "--after" ? args.after
                                                                  : args.before;
            slot = value();
        } else if (arg.starts_with("-") && arg != "-") {
            throw UsageError("unknown option " + arg);
        } else if (target) {
            throw UsageError("more than one OUTDIR");
        } else {
            target = arg;
        }
    }
    if (!args.help && (!target || target->empty())) throw UsageError("no OUTDIR given");
    if (!args.match && (args.fields || args.after || args.before))
        throw UsageError("--in, --after and --before go with --match");
    args.target = mq::commandLinePath(target.value_or(""));
    return args;
}

// The folders named on the command line, by name or by path; every folder with a file when
// none is named.
std::vector<std::size_t> chosenFolders(const mq::FolderList& folders,
                                       const std::vector<std::string>& names) {
    std::string unknown;
    auto chosen = mq::foldersNamed(folders, names, mq::AnsiCodePage::store(), unknown);
    if (!chosen)
        throw UsageError("the store has no folder with messages named " + mq::consoleText(unknown));
    return *std::move(chosen);
}

#ifdef MAILQUARRY_WITH_SEARCH
mq::SearchQuery searchQuery(const Arguments& args) {
    mq::SearchQuery query;
    query.terms = mq::parseSearchTerms(*args.match);
    if (query.terms.empty()) throw UsageError("--match has no words to find");
    if (args.fields) {
        const auto fields = mq::parseSearchFields(*args.fields);
        if (!fields) throw UsageError("unknown fields " + *args.fields);
        query.fields = *fields;
    }
    const auto date = [](const std::optional<std::string>& text) -> std::optional<double> {
        if (!text) return std::nullopt;
        const auto value = mq::parseSearchDate(*text);
        if (!value) throw UsageError("not a date (YYYY-MM-DD): " + *text);
        return value;
    };
    query.from = date(args.after);
    query.until = date(args.before);
    return query;
}
#endif

#ifdef MAILQUARRY_WITH_RECOVER
// The scans before an export: Ctrl-C stops them too.
class Interruptible : public mq::RecoveryScanObserver {
public:
    explicit Interruptible(const mq::ProgressLine& progress) : progress_(progress) {}
    bool cancelled() const override { return progress_.cancelled(); }
    void scanned(std::uint64_t, std::uint64_t) override {}

private:
    const mq::ProgressLine& progress_;
};
#endif

// The save preferences name the .eml files. Read without writing: a user who never ran the
// program has no key for them, keeps it that way and gets their defaults.
mq::TPref preferences(mq::Registry& user) {
    mq::ReadOnlyRegistry registry(user);
    mq::TPref pref;
    try {
        pref.LoadFromRegistry(registry);
    } catch (const mq::RegistryError& e) {
        // Whatever was not read has its default by now.
        if (!registry.refusedToCreate())
            std::fprintf(stderr,
                         "mailquarry-export: the preferences cannot be read (%s); "
                         "using the defaults\n",
                         mq::consoleText(e.what()).c_str());
    }
    return pref;
}

int run(const Arguments& args) {
    const std::unique_ptr<mq::Registry> user = mq::openUserRegistry();
    mq::StoreReader reader(*user);
    mq::FolderList folders;
    try {
        if (args.store) reader.setSource(mq::StoreSource::open(*args.store));
        reader.Read_OE_File("folders.dbx", &folders);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mailquarry-export: the store cannot be read: %s\n",
                     mq::consoleText(e.what()).c_str());
        return 1;
    }
    mq::AnsiCodePage::setStore(mq::storeCodePage(reader, folders, args.codePage));

    const mq::TPref pref = preferences(*user);
    mq::FileNameItems items;
    mq::parseFileNameFormat(pref.FileNameFormat, items);

    mq::ProgressLine progress;
    mq::FolderMessages* source = &reader;
#ifdef MAILQUARRY_WITH_RECOVER
    Interruptible scan(progress);
    mq::RecoveredFolders recovered(reader, scan, mq::AnsiCodePage::store());
    if (args.recover) source = &recovered;
#endif
#ifdef MAILQUARRY_WITH_SEARCH
    std::optional<mq::MatchingMessages> matching;
    if (args.match) {
        matching.emplace(*source, mq::AnsiCodePage::store(), searchQuery(args), progress);
        source = &*matching;
    }
#endif
    mq::ExportPlan plan = mq::planExport(*source, folders, chosenFolders(folders, args.folders),
                                         args.target, args.format);
    if (args.recover || args.match) {
        // A file for every folder where nothing was found would bury the ones that matter.
        std::erase_if(plan.folders,
                      [&](std::size_t folder) { return plan.messagesIn[folder] == 0; });
    }
    const mq::ExportSummary summary =
        mq::ExportAllFolders(progress, *source, folders, plan, pref, items);
    progress.finish();
    std::printf("%s\n",
                mq::consoleText(mq::exportSummaryText(summary, args.target)).c_str());
    return summary.complete() ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const Arguments args = parse(argc, argv);
        if (args.help) {
            std::fputs(Help, stdout);
            return 0;
        }
        return run(args);
    } catch (const UsageError& e) {
        const std::string help = Help;
        std::fprintf(stderr, "mailquarry-export: %s\n%s%s", e.what(),
                     help.substr(0, help.find("\n\n") + 1).c_str(),
                     "Try 'mailquarry-export --help' for more information.\n");
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mailquarry-export: %s\n", e.what());
        return 2;
    }
}
