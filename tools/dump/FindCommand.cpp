#include "FindCommand.h"

#include "export/FolderTree.h"
#include "platform/AnsiCodePage.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "search/StoreSearch.h"
#include "store/DateTime.h"
#include "store/StoreCodePage.h"
#include "store/StoreReader.h"
#include "store/StoreSource.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>

namespace mq {

namespace {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct FindArguments {
    std::optional<std::string> store;
    std::vector<std::string> folders;  // UTF-8, as typed
    SearchQuery query;
};

double dateArgument(const std::string& text) {
    const auto date = parseSearchDate(text);
    if (!date) throw UsageError("not a date (YYYY-MM-DD): " + text);
    return *date;
}

FindArguments parseFind(const std::vector<std::string>& args) {
    FindArguments out;
    std::optional<std::string> words;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
            return args[++i];
        };
        if (arg == "--store") {
            out.store = value();
        } else if (arg == "--in") {
            const std::string& names = value();
            const auto fields = parseSearchFields(names);
            if (!fields)
                throw UsageError("unknown fields " + names + " (subject,people,text,attachments)");
            out.query.fields = *fields;
        } else if (arg == "--after") {
            out.query.from = dateArgument(value());
        } else if (arg == "--before") {
            out.query.until = dateArgument(value());
        } else if (arg == "--folder") {
            out.folders.push_back(value());
        } else if (arg.starts_with("--")) {
            throw UsageError("unknown option " + arg);
        } else if (words) {
            throw UsageError("more than one QUERY (quote a phrase: '\"two words\"')");
        } else {
            words = arg;
        }
    }
    out.query.terms = parseSearchTerms(words.value_or(""));
    if (out.query.terms.empty()) throw UsageError("no words to find");
    return out;
}

std::string localTime(std::uint64_t filetime) {
    if (filetime == 0) return {};
    const CalendarTime t = decodeDateTime(FiletimeToDatetime(filetime));
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

nlohmann::ordered_json matchedFields(unsigned fields) {
    nlohmann::ordered_json names = nlohmann::ordered_json::array();
    for (const SearchField field : {SearchSubject, SearchPeople, SearchText, SearchAttachments})
        if (fields & field) names.push_back(searchFieldNames(field));
    return names;
}

class Unwatched : public SearchObserver {
public:
    bool cancelled() const override { return false; }
    void blockRead() override {}
    void searching(std::size_t) override {}
};

}  // namespace

int runFind(const std::vector<std::string>& args, std::optional<int> codePage,
            const std::function<void(const nlohmann::ordered_json&)>& print) {
    const AnsiCodePage& page = AnsiCodePage::store();
    FindArguments found;
    try {
        found = parseFind(args);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "mailquarry-dump: %s (see mailquarry-dump --help)\n", e.what());
        return 1;
    }
    std::unique_ptr<Registry> registry;
    std::optional<StoreReader> reader;
    FolderList folders;
    try {
        if (found.store) {
            reader.emplace(StoreSource::open(commandLinePath(*found.store)));
        } else {
            registry = openUserRegistry();
            reader.emplace(*registry);
        }
        reader->Read_OE_File("folders.dbx", &folders);
        AnsiCodePage::setStore(storeCodePage(*reader, folders, codePage));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mailquarry-dump: the store cannot be read: %s\n", e.what());
        return 1;
    }
    std::string unknown;
    const auto chosen = foldersNamed(folders, found.folders, page, unknown);
    if (!chosen) {
        std::fprintf(stderr, "mailquarry-dump: the store has no folder with messages named %s\n",
                     unknown.c_str());
        return 1;
    }

    StoreSearch search(*reader, page);
    Unwatched observer;
    const SearchOutcome outcome = search.searchStore(folders, *chosen, found.query, observer);
    const FolderTree tree(folders);
    for (const std::size_t folder : outcome.unreadable)
        std::fprintf(stderr, "mailquarry-dump: the folder %s (%s) cannot be read\n",
                     page.toUtf8(tree.path(folder)).c_str(),
                     page.toUtf8(folders[folder].FileName).c_str());
    for (const FolderMatches& matches : outcome.folders) {
        for (std::size_t i = 0; i < matches.records.size(); ++i) {
            const Toe5_MessageInfo& record = matches.records[i];
            print({{"folder", page.toUtf8(tree.path(matches.folder))},
                   {"file", page.toUtf8(folders[matches.folder].FileName)},
                   {"position", record.MessagePosition},
                   {"received", localTime(record.ReceivedDate)},
                   {"from", page.toUtf8(record.From)},
                   {"subject", page.toUtf8(record.Subject)},
                   {"matched", matchedFields(matches.fields[i])}});
        }
    }
    return outcome.messages() > 0 ? 0 : 2;
}

}  // namespace mq
