// mailquarry-dump: what the store reader sees in a .dbx file, for diagnosing stores.
#include "RecordJson.h"
#ifdef MAILQUARRY_WITH_MESSAGE
#include "MessageJson.h"
#endif
#ifdef MAILQUARRY_WITH_SEARCH
#include "FindCommand.h"
#endif

#include "platform/AnsiCodePage.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/StoreFile.h"
#include "store/DbxLayout.h"
#include "store/LittleEndian.h"
#include "store/RawHeaderField.h"
#include "store/RecoveryScan.h"
#include "store/StoreCodePage.h"
#include "store/StoreReader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

using mq::dbx::le32;
using mq::dbx::NodeLayout;
using Json = nlohmann::ordered_json;

constexpr const char* usage =
    "usage: mailquarry-dump [--text] records FILE [--folders|--messages]\n"
    "       mailquarry-dump [--text] header FILE\n"
    "       mailquarry-dump [--text] node FILE OFFSET\n"
    "       mailquarry-dump text FILE POSITION\n"
#ifdef MAILQUARRY_WITH_MESSAGE
    "       mailquarry-dump [--text] show FILE POSITION\n"
#endif
    "       mailquarry-dump [--text] recover FILE\n"
    "       mailquarry-dump [--text] store [PATH]\n"
#ifdef MAILQUARRY_WITH_SEARCH
    "       mailquarry-dump [--text] find [--store PATH] [--in subject,people,text,attachments]\n"
    "                       [--after DATE] [--before DATE] [--folder NAME]... QUERY\n"
    "           messages whose chosen fields (default: subject,people) hold every word and\n"
    "           \"quoted phrase\" of QUERY, case ignored, received on or after --after and\n"
    "           before --before (YYYY-MM-DD); exit 0 found, 1 error, 2 nothing found\n"
#endif
    "\n"
    "PATH is a store folder (the folder holding folders.dbx), a folder of loose .dbx files\n"
    "or a single .dbx file; without it, the store the registry names (its \"Store Root\").\n"
    "Store texts print as UTF-8, converted from the store's code page: --code-page N before\n"
    "the command names it (874, 932, 936, 949, 950, 1250 to 1258); without it, the page the\n"
    "store's messages declare most often, else the one of the locale.\n";

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class NoStop : public mq::MessageReadObserver, public mq::RecoveryScanObserver {
public:
    bool cancelled() const override { return false; }
    void blockRead() override {}
    void scanned(std::uint64_t, std::uint64_t) override {}
};

bool textOutput = false;
std::optional<int> chosenCodePage;

// Reads store texts in the chosen page, else in the one guessed from `folders` (of the store
// `reader` reads).
void useStoreCodePage(mq::StoreReader& reader, const mq::FolderList& folders) {
    mq::AnsiCodePage::setStore(mq::storeCodePage(reader, folders, chosenCodePage));
}

// The page of the store that holds the file: guessed from the folders beside it, or from the
// file alone when it lies outside a store.
void useCodePageOfFileStore(const std::string& path) {
    if (chosenCodePage) {
        mq::AnsiCodePage::setStore(*chosenCodePage);
        return;
    }
    const std::filesystem::path file(path);
    mq::StoreReader reader(file.has_parent_path() ? file.parent_path().string() : ".");
    mq::FolderList folders;
    try {
        reader.Read_OE_File("folders.dbx", &folders);
    } catch (const std::exception&) {
        folders.clear();
    }
    if (folders.empty()) {
        mq::Toe5_FolderInfo alone;
        alone.FileName = file.filename().string();
        folders.push_back(std::move(alone));
    }
    useStoreCodePage(reader, folders);
}

void print(const Json& object) {
    if (textOutput) {
        std::cout << mq::toText(object) << '\n';
    } else {
        std::cout << object.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
    }
}

// Decimal, or hexadecimal with 0x; the whole argument must be a number that fits.
template <typename Int>
Int parseNumber(const std::string& text, const char* what) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* begin = text.data() + (hex ? 2 : 0);
    const char* end = text.data() + text.size();
    Int value{};
    const auto [ptr, ec] = std::from_chars(begin, end, value, hex ? 16 : 10);
    if (text.empty() || ec != std::errc() || ptr != end) {
        throw UsageError(std::string("not a valid ") + what + ": " + text);
    }
    return value;
}

std::unique_ptr<mq::StoreFile> openFile(const std::string& path) {
    try {
        return mq::StoreFile::open(mq::commandLinePath(path));
    } catch (const mq::FileOpenError& e) {
        throw std::runtime_error("cannot open " + path + ": " + e.what());
    }
}

void dumpRecords(const std::string& path, const std::string& kind) {
    const auto file = openFile(path);
    const bool folders = kind == "--folders" ||
                         (kind.empty() && std::filesystem::path(path).filename() == "folders.dbx");
    if (folders) {
        mq::FolderList list;
        mq::dbx::readFolderRecords(*file, list);
        for (const auto& f : list) print(mq::toJson(f));
    } else {
        mq::MessageInfoList list;
        mq::dbx::readMessageRecords(*file, list);
        for (const auto& m : list) print(mq::toJson(m));
    }
}

void dumpHeader(const std::string& path) {
    const auto file = openFile(path);
    std::array<std::byte, 16> id{};
    std::array<std::byte, 4> root{};
    const bool hasId = file->readAt(0, id) == id.size();
    const bool hasRoot = file->readAt(mq::dbx::FileHeaderLayout::RootNode, root) == root.size();
    std::string hex;
    for (std::size_t i = 0; hasId && i < id.size(); ++i) {
        char b[3];
        std::snprintf(b, sizeof b, "%02x", std::to_integer<unsigned>(id[i]));
        hex += b;
    }
    print(Json{{"FileSize", file->size()},
               {"ClassId", hex},
               {"RootNode", hasRoot ? Json(le32(root.data())) : Json(nullptr)},
               {"ItemCount", mq::dbx::readFileHeader(*file).ItemCount}});
}

void dumpNode(const std::string& path, std::uint32_t offset) {
    const auto file = openFile(path);
    std::array<std::byte, NodeLayout::HeaderSize> h{};
    if (file->readAt(offset, h) != h.size()) {
        throw std::runtime_error("no node at offset " + std::to_string(offset) + " of " + path);
    }
    const std::uint32_t countField = le32(h.data() + NodeLayout::EntryCount);
    const std::uint32_t count = countField >> NodeLayout::EntryCountShift;
    // Entries that would lie past the end of the file are not listed.
    const std::uint64_t room = file->size() - (std::uint64_t{offset} + NodeLayout::HeaderSize);
    const auto listed =
        static_cast<std::size_t>(std::min<std::uint64_t>(count, room / NodeLayout::EntrySize));
    std::vector<std::byte> raw(listed * NodeLayout::EntrySize);
    file->readAt(std::uint64_t{offset} + NodeLayout::HeaderSize, raw);
    Json entries = Json::array();
    for (std::size_t i = 0; i < listed; ++i) {
        const std::byte* e = raw.data() + i * NodeLayout::EntrySize;
        entries.push_back({{"Record", static_cast<std::int32_t>(le32(e + NodeLayout::EntryRecord))},
                           {"Child", static_cast<std::int32_t>(le32(e + NodeLayout::EntryChild))}});
    }
    const std::uint32_t self = le32(h.data() + NodeLayout::SelfOffset);
    print(Json{{"Offset", offset},
               {"SelfOffset", self},
               {"Valid", self == offset},
               {"FirstLink", static_cast<std::int32_t>(le32(h.data() + NodeLayout::FirstLink))},
               {"SecondLink", static_cast<std::int32_t>(le32(h.data() + NodeLayout::SecondLink))},
               {"EntryCount", count},
               {"Entries", entries}});
}

std::string readText(const std::string& path, std::int32_t position) {
    const auto file = openFile(path);
    std::string text;
    NoStop observer;
    mq::dbx::readMessageText(*file, position, text, observer);
    return text;
}

void dumpText(const std::string& path, std::int32_t position) {
    const std::string text = readText(path, position);
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0) {
        throw std::runtime_error("cannot write the text to standard output");
    }
}

#ifdef MAILQUARRY_WITH_MESSAGE
void dumpShow(const std::string& path, std::int32_t position) {
    print(mq::toJson(mq::decodeMessage(readText(path, position), mq::AnsiCodePage::store())));
}
#endif

void dumpRecovered(const std::string& path) {
    const auto file = openFile(path);
    NoStop observer;
    std::string text;
    for (const auto& m : mq::dbx::recoverMessages(*file, observer)) {
        mq::dbx::readRecoveredText(*file, m, text, observer);
        print(mq::toJson(m, mq::rawHeaderField(text, "Subject").value_or("")));
    }
}

void dumpStore(const std::string* path) {
    const auto registry = mq::openUserRegistry();
    mq::StoreReader reader(*registry);
    if (path) reader.setSource(mq::StoreSource::open(mq::commandLinePath(*path)));
    const std::string folder = reader.source().storePath();
    mq::FolderList list;
    reader.Read_OE_File("folders.dbx", &list);
    useStoreCodePage(reader, list);
    if (textOutput) {
        std::cout << "Store folder: " << folder << "\n\n";
        for (const auto& f : list) print(mq::toJson(f));
        return;
    }
    Json folders = Json::array();
    for (const auto& f : list) folders.push_back(mq::toJson(f));
    print(Json{{"StoreFolder", folder}, {"Folders", folders}});
}

int run(std::vector<std::string> args) {
    while (!args.empty() && (args[0] == "--text" || args[0] == "--code-page")) {
        if (args[0] == "--code-page") {
            if (args.size() < 2) throw UsageError("--code-page needs a value");
            const int page = parseNumber<int>(args[1], "code page");
            if (!mq::AnsiCodePage::isWindowsPage(page))
                throw UsageError("not a Windows ANSI code page: " + args[1]);
            chosenCodePage = page;
            args.erase(args.begin());
        } else {
            textOutput = true;
        }
        args.erase(args.begin());
    }
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        std::cout << usage;
        return 0;
    }
    if (args.size() >= 2 && args[0] != "store" && args[0] != "find")
        useCodePageOfFileStore(args[1]);
    if (args.empty()) throw UsageError("no command given");
    const std::string& command = args[0];
    if (command.starts_with("-")) throw UsageError("unknown option " + command);
#ifdef MAILQUARRY_WITH_SEARCH
    if (command == "find") return mq::runFind({args.begin() + 1, args.end()}, chosenCodePage, print);
#endif
    if (command == "records" && (args.size() == 2 || args.size() == 3)) {
        const std::string kind = args.size() == 3 ? args[2] : "";
        if (!kind.empty() && kind != "--folders" && kind != "--messages") {
            throw UsageError("unknown option " + kind);
        }
        dumpRecords(args[1], kind);
    } else if (command == "header" && args.size() == 2) {
        dumpHeader(args[1]);
    } else if (command == "node" && args.size() == 3) {
        dumpNode(args[1], parseNumber<std::uint32_t>(args[2], "offset"));
    } else if (command == "text" && args.size() == 3 && !textOutput) {
        dumpText(args[1], parseNumber<std::int32_t>(args[2], "position"));
#ifdef MAILQUARRY_WITH_MESSAGE
    } else if (command == "show" && args.size() == 3) {
        dumpShow(args[1], parseNumber<std::int32_t>(args[2], "position"));
#endif
    } else if (command == "recover" && args.size() == 2) {
        dumpRecovered(args[1]);
    } else if (command == "store" && args.size() <= 2) {
        dumpStore(args.size() == 2 ? &args[1] : nullptr);
    } else {
        throw UsageError("bad arguments for " + command);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The same bytes on every system: message texts as they were stored, lines ending in LF.
    // A text-mode output would turn each LF into CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        std::cerr << "mailquarry-dump: " << e.what() << '\n' << usage;
    } catch (const std::exception& e) {
        std::cerr << "mailquarry-dump: " << e.what() << '\n';
    }
    return 1;
}
