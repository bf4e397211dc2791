#include "platform/RegistryFile.h"

#include "platform/AsciiCase.h"
#include "platform/RegistryError.h"
#include "platform/RegistryFileFormat.h"
#include "platform/Unicode.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <sstream>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace mq {

namespace {


struct FileKey : RegistryKey {
    explicit FileKey(std::string path) : path(std::move(path)) {}
    std::string path;  // UTF-8, no leading or trailing backslash
};

std::u16string wide(std::string_view utf8) {
    std::u16string out;
    utf8ToUtf16(utf8, out);
    return out;
}

// A name as names compare: two names that sameName holds equal fold alike.
std::string folded(std::string_view utf8) {
    if (isAscii(utf8)) return asciiLowered(utf8);
    std::u16string text = wide(utf8);
    for (char16_t& c : text) c = foldCase(c);
    return utf16ToUtf8(text);
}

std::string keyIndexName(std::string_view root, std::string_view path) {
    return folded(root) + '\\' + folded(path);
}

// Names are compared on every key and value lookup. ASCII names, the usual ones, need no
// widening; a non-ASCII character may fold onto an ASCII one (U+0130 onto "i"), so any
// other pair takes the full comparison.
bool sameName(std::string_view a, std::string_view b) {
    if (isAscii(a) && isAscii(b)) return asciiEqualIgnoringCase(a, b);
    return compareIgnoringCase(wide(a), wide(b)) == 0;
}

// Whether the key at `path` is `asked` or lies below it.
bool isAtOrBelow(std::string_view path, std::string_view asked) {
    if (isAscii(path) && isAscii(asked)) {
        if (path.size() < asked.size()) return false;
        if (path.size() > asked.size() && path[asked.size()] != '\\') return false;
        return sameName(path.substr(0, asked.size()), asked);
    }
    const std::u16string wideAsked = wide(asked);
    const std::u16string widePath = wide(path);
    if (widePath.size() < wideAsked.size()) return false;
    if (widePath.size() > wideAsked.size() && widePath[wideAsked.size()] != u'\\') return false;
    return compareIgnoringCase(std::u16string_view(widePath).substr(0, wideAsked.size()),
                               wideAsked) == 0;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && sameName(text.substr(0, prefix.size()), prefix);
}

std::string_view trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A hexadecimal number of 1 to maxDigits digits, the whole of `s`.
std::optional<std::uint32_t> parseHex(std::string_view s, std::size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : s) {
        const int d = hexDigit(c);
        if (d < 0) return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(d);
    }
    return value;
}

// A quoted text at the start of `s` with the escapes \\ and \" (any other backslash stays
// as written). Moves `s` past the closing quote; empty when there is none.
std::optional<std::string> parseQuoted(std::string_view& s) {
    std::string out;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i] == '"') {
            s.remove_prefix(i + 1);
            return out;
        }
        if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) ++i;
        out += s[i];
    }
    return std::nullopt;
}

// The text of a REG_SZ / REG_EXPAND_SZ stored as UTF-16LE bytes, without its final NUL.
std::u16string textFromUtf16Bytes(std::string_view bytes) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      static_cast<unsigned char>(bytes[i + 1]) << 8);
    }
    if (!text.empty() && text.back() == u'\0') text.pop_back();
    return text;
}

// What follows the '=' of a value line; an error text when it cannot be read.
std::string parseData(std::string_view data, const AnsiCodePage& page, RegValue& value) {
    if (!data.empty() && data.front() == '"') {
        std::optional<std::string> text = parseQuoted(data);
        if (!text || !trim(data).empty()) return "malformed text value";
        value = {RegType::Sz, page.fromUtf8(*text), *text};
        return {};
    }
    if (startsWithIgnoringCase(data, "dword:")) {
        const std::optional<std::uint32_t> number = parseHex(trim(data.substr(6)), 8);
        if (!number) return "malformed dword value";
        value.type = RegType::Dword;
        value.data.clear();
        for (int shift = 0; shift < 32; shift += 8)
            value.data += static_cast<char>(*number >> shift);
        return {};
    }
    if (data == "-") return "removing values is not supported";
    if (!startsWithIgnoringCase(data, "hex")) return "unrecognised value data";
    data.remove_prefix(3);
    std::uint32_t type = static_cast<std::uint32_t>(RegType::Binary);
    if (!data.empty() && data.front() == '(') {
        const std::size_t close = data.find(')');
        const std::optional<std::uint32_t> number =
            close == std::string_view::npos ? std::nullopt : parseHex(data.substr(1, close - 1), 8);
        if (!number) return "malformed value type";
        type = *number;
        data.remove_prefix(close + 1);
    }
    if (data.empty() || data.front() != ':') return "malformed hex value";
    data.remove_prefix(1);
    std::string bytes;
    data = trim(data);
    while (!data.empty()) {
        const std::size_t comma = data.find(',');
        const std::optional<std::uint32_t> byte = parseHex(trim(data.substr(0, comma)), 2);
        if (!byte) return "malformed hex value";
        bytes += static_cast<char>(*byte);
        if (comma == std::string_view::npos) break;
        data.remove_prefix(comma + 1);
        if (trim(data).empty()) return "malformed hex value";
    }
    value.type = static_cast<RegType>(type);
    if (value.type == RegType::Sz || value.type == RegType::ExpandSz) {
        const std::u16string text = textFromUtf16Bytes(bytes);
        value.data = page.fromUtf16(text);
        value.utf8 = utf16ToUtf8(text);
    } else {
        value.data = bytes;
    }
    return {};
}

// The key path of the API (ANSI, leading and trailing backslash allowed) in the file's form;
// empty for a path no key can have.
std::optional<std::string> normalizedPath(std::string_view path, const AnsiCodePage& page) {
    if (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    const bool emptyPart = path.find("\\\\") != std::string_view::npos ||
                           (!path.empty() && (path.front() == '\\' || path.back() == '\\'));
    if (emptyPart || path.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos) {
        return std::nullopt;
    }
    return page.toUtf8(path);
}

// Lines of a UTF-16LE text that hold a lone surrogate: 0 when there is none.
int lineOfLoneSurrogate(std::u16string_view text) {
    int line = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\n') ++line;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return line;
        }
    }
    return 0;
}

struct ParseError {
    int line;
    std::string reason;
};

}  // namespace

RegistryFile::RegistryFile(std::filesystem::path path, const AnsiCodePage& codePage)
    : path_(std::move(path)), codePage_(codePage) {
    load();
}

RegistryFile::~RegistryFile() {
    // Changes are written when keys are closed; this only catches a key never closed.
    try {
        flush();
    } catch (...) {  // a destructor must not throw; closeKey reports write errors
    }
}

RegistryFile::Stamp RegistryFile::currentStamp() const {
    Stamp stamp;
#ifdef _WIN32
    std::error_code ec;
    stamp.exists = std::filesystem::exists(path_, ec);
    if (!stamp.exists) return stamp;
    stamp.size = std::filesystem::file_size(path_, ec);
    stamp.modified = std::filesystem::last_write_time(path_, ec).time_since_epoch().count();
#else
    // Asked before every key is opened, so one call has to tell everything.
    struct stat status {};
    if (::stat(path_.c_str(), &status) != 0) {
        // Unknown is not missing: load() sorts out which it is.
        stamp.exists = errno != ENOENT && errno != ENOTDIR;
        return stamp;
    }
    const auto nanoseconds = [](const timespec& t) {
        return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
    };
    stamp.exists = true;
    stamp.size = static_cast<std::uintmax_t>(status.st_size);
    stamp.modified = nanoseconds(status.st_mtim);
    stamp.changed = nanoseconds(status.st_ctim);
    stamp.file = static_cast<std::uint64_t>(status.st_ino);
#endif
    return stamp;
}

void RegistryFile::refreshIfChanged() {
    if (currentStamp() == stamp_) return;
    load();
    if (!loadError_.empty()) return;
    for (const Change& change : pending_) apply(change);
}

void RegistryFile::load() {
    keys_.clear();
    keyIndex_.clear();
    loadError_.clear();
    stamp_ = currentStamp();
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path_, ec);
    if (status.type() == std::filesystem::file_type::not_found) return;
    const std::string prefix = "The registry file " + path_.string() + " cannot be read: ";
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    std::string bytes = std::move(buffer).str();
    if (!in.good() && !in.eof()) {
        loadError_ = prefix + "read error";
        return;
    }
    if (ec || status.type() != std::filesystem::file_type::regular || !in.is_open()) {
        loadError_ = prefix + "not a readable file";
        return;
    }
    std::string text;
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        if (bytes.size() % 2 != 0) {
            loadError_ = prefix + "UTF-16 text of odd length";
            return;
        }
        std::u16string units;
        for (std::size_t i = 2; i < bytes.size(); i += 2) {
            units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           static_cast<unsigned char>(bytes[i + 1]) << 8);
        }
        if (const int line = lineOfLoneSurrogate(units)) {
            loadError_ = prefix + "line " + std::to_string(line) + ": malformed UTF-16 text";
            return;
        }
        text = utf16ToUtf8(units);
    } else if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
        loadError_ = prefix + "UTF-16 big-endian text is not supported";
        return;
    } else {
        text = bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
    }
    try {
        parse(text);
    } catch (const ParseError& error) {
        keys_.clear();
        keyIndex_.clear();
        loadError_ = prefix + "line " + std::to_string(error.line) + ": " + error.reason;
    }
}

void RegistryFile::parse(const std::string& text) {
    std::vector<std::string_view> lines;
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    bool headerSeen = false;
    Key* current = nullptr;
    std::u16string ignored;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int lineNumber = static_cast<int>(i) + 1;
        if (!isAscii(lines[i]) && !utf8ToUtf16(lines[i], ignored))
            throw ParseError{lineNumber, "malformed UTF-8 text"};
        std::string_view line = trim(lines[i]);
        if (line.empty() || line.front() == ';') continue;
        if (!headerSeen) {
            if (line != kHeader) throw ParseError{lineNumber, "not a registry editor file"};
            headerSeen = true;
        } else if (line.front() == '[') {
            if (line.back() != ']') throw ParseError{lineNumber, "malformed key"};
            const std::string_view inner = line.substr(1, line.size() - 2);
            if (inner.starts_with('-'))
                throw ParseError{lineNumber, "removing keys is not supported"};
            const std::size_t slash = inner.find('\\');
            const std::string_view root = inner.substr(0, slash);
            const std::string_view path =
                slash == std::string_view::npos ? std::string_view() : inner.substr(slash + 1);
            if (!startsWithIgnoringCase(root, "HKEY_"))
                throw ParseError{lineNumber, "unknown root key"};
            current = &addKey(std::string(root), std::string(path));
        } else if (line.front() == '"' || line.front() == '@') {
            if (!current) throw ParseError{lineNumber, "value outside a key"};
            std::string name;
            if (line.front() == '@') {
                line.remove_prefix(1);
            } else {
                std::optional<std::string> quoted = parseQuoted(line);
                if (!quoted) throw ParseError{lineNumber, "malformed value name"};
                name = std::move(*quoted);
            }
            line = trim(line);
            if (line.empty() || line.front() != '=') throw ParseError{lineNumber, "'=' expected"};
            std::string data(trim(line.substr(1)));
            // Long hex data continues on the next lines after a final backslash.
            while (startsWithIgnoringCase(data, "hex") && data.ends_with('\\')) {
                data.pop_back();
                if (++i == lines.size()) throw ParseError{lineNumber, "hex data ends early"};
                data += trim(lines[i]);
            }
            Value value;
            value.name = std::move(name);
            const std::string error = parseData(data, codePage_, value.value);
            if (!error.empty()) throw ParseError{lineNumber, error};
            value.fileData = std::move(data);
            putValue(*current, std::move(value));
        } else {
            throw ParseError{lineNumber, "unrecognised line"};
        }
    }
}

void RegistryFile::throwIfUnreadable() const {
    if (!loadError_.empty()) throw RegistryError(loadError_);
}

RegistryFile::Key* RegistryFile::findKey(std::string_view utf8Path) {
    const auto found = keyIndex_.find(keyIndexName(kUserRoot, utf8Path));
    return found == keyIndex_.end() ? nullptr : &keys_[found->second];
}

RegistryFile::Key& RegistryFile::addKey(std::string root, std::string path) {
    const auto [at, added] = keyIndex_.try_emplace(keyIndexName(root, path), keys_.size());
    if (added) keys_.push_back({std::move(root), std::move(path), {}});
    return keys_[at->second];
}

bool RegistryFile::keyExists(std::string_view utf8Path) {
    // A key exists when it has a section of its own or a section of a key below it.
    if (utf8Path.empty() || findKey(utf8Path)) return true;
    return std::any_of(keys_.begin(), keys_.end(), [&](const Key& key) {
        return sameName(key.root, kUserRoot) && isAtOrBelow(key.path, utf8Path);
    });
}

RegistryKeyPtr RegistryFile::openKey(std::string_view path) {
    refreshIfChanged();
    throwIfUnreadable();
    const std::optional<std::string> utf8Path = normalizedPath(path, codePage_);
    if (!utf8Path || !keyExists(*utf8Path)) return nullptr;
    return std::make_unique<FileKey>(*utf8Path);
}

RegistryKeyPtr RegistryFile::createKey(std::string_view path) {
    refreshIfChanged();
    throwIfUnreadable();
    const std::optional<std::string> utf8Path = normalizedPath(path, codePage_);
    if (!utf8Path) throw RegistryError::createKeyFailed(std::string(path));
    if (!findKey(*utf8Path)) {
        pending_.push_back({*utf8Path, std::nullopt, {}});
        apply(pending_.back());
    }
    return std::make_unique<FileKey>(*utf8Path);
}

std::optional<RegValue> RegistryFile::queryValue(RegistryKey& key, std::string_view name) {
    throwIfUnreadable();
    const Key* found = findKey(static_cast<FileKey&>(key).path);
    if (!found) return std::nullopt;
    const std::string utf8Name = codePage_.toUtf8(name);
    for (const Value& value : found->values) {
        if (sameName(value.name, utf8Name)) return value.value;
    }
    return std::nullopt;
}

void RegistryFile::setString(RegistryKey& key, std::string_view name, std::string_view text) {
    throwIfUnreadable();
    if (name.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos) {
        throw RegistryError::setDataFailed(std::string(name));
    }
    pending_.push_back({static_cast<FileKey&>(key).path, std::string(name), std::string(text)});
    apply(pending_.back());
}

void RegistryFile::setUtf8String(RegistryKey& key, std::string_view name, std::string_view utf8) {
    throwIfUnreadable();
    std::u16string ignored;
    if (name.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos ||
        !utf8ToUtf16(utf8, ignored)) {
        throw RegistryError::setDataFailed(std::string(name));
    }
    pending_.push_back(
        {static_cast<FileKey&>(key).path, std::string(name), std::string(utf8), true});
    apply(pending_.back());
}

void RegistryFile::putValue(Key& key, Value value) {
    const auto old = std::find_if(key.values.begin(), key.values.end(),
                                  [&](const Value& v) { return sameName(v.name, value.name); });
    if (old == key.values.end()) {
        key.values.push_back(std::move(value));
        return;
    }
    old->value = std::move(value.value);
    old->fileData = std::move(value.fileData);
}

void RegistryFile::closeKey(RegistryKeyPtr key) {
    key.reset();
    // A key that was only read leaves nothing to write, so the file need not be looked at:
    // the store folder is looked up this way for every message a long operation reads.
    if (batchDepth_ == 0 && !pending_.empty()) flush();
}

void RegistryFile::beginBatch() {
    ++batchDepth_;
}

void RegistryFile::endBatch() {
    if (batchDepth_ > 0 && --batchDepth_ == 0) flush();
}

}  // namespace mq
