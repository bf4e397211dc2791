#include "save/FileNaming.h"

#include "platform/AnsiCodePage.h"
#include "platform/FileSystem.h"
#include "platform/StoreFile.h"
#include "platform/TextDirection.h"
#include "view/DateFormat.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

namespace mq {

namespace {

constexpr std::string_view ForbiddenCharacters = "\"*/:<>?\\|";

bool isBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// The length of the UTF-8 character that starts at text[i]. The names composed here are
// valid UTF-8: they are converted from the code pages.
std::size_t characterLength(std::string_view text, std::size_t i) {
    std::size_t n = 1;
    while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80) ++n;
    return n;
}

// The units the file system counts for a UTF-8 text.
std::size_t fileNameLength(std::string_view text) {
    std::size_t units = 0;
    for (std::size_t i = 0, n = 0; i < text.size(); i += n) {
        n = characterLength(text, i);
        units += fileNameUnits(n);
    }
    return units;
}

// The longest prefix of `text` that the file system counts as at most `maxUnits`, never
// cutting a character in two. Each character takes at least one unit, so the character limit
// holds as well.
std::string_view fittingPrefix(std::string_view text, std::size_t maxUnits) {
    std::size_t units = 0;
    for (std::size_t i = 0, n = 0; i < text.size(); i += n) {
        n = characterLength(text, i);
        units += fileNameUnits(n);
        if (units > maxUnits) return text.substr(0, i);
    }
    return text;
}

// Names Windows takes for devices whatever follows their first dot: CON, PRN, AUX, NUL,
// COM0 to COM9 and LPT0 to LPT9, the superscript digits included, in any letter case.
bool isDeviceName(std::string_view stem) {
    std::string upper(stem);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
    if (upper.size() < 4 || !(upper.starts_with("COM") || upper.starts_with("LPT"))) return false;
    const std::string_view digit = std::string_view(upper).substr(3);
    return (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') || digit == "\u00B9" ||
           digit == "\u00B2" || digit == "\u00B3";
}

// A device name gets a mark that makes it an ordinary one: "con.eml" becomes "con_.eml".
// Windows ignores blanks after the device name.
void markDeviceName(std::string& name) {
    std::size_t stemEnd = std::min(name.find('.'), name.size());
    while (stemEnd > 0 && name[stemEnd - 1] == ' ') --stemEnd;
    if (isDeviceName(std::string_view(name).substr(0, stemEnd))) name.insert(stemEnd, 1, '_');
}

// Whatever the settings hold (a hand-edited default name or extension included), the result
// names one file directly inside the folder, within the length limit, and is a name Windows
// keeps as it is, so that a folder of saved files has the same names on every system.
std::string plainFileName(std::string_view text) {
    std::string name(text);
    for (char& c : name) {
        if (static_cast<unsigned char>(c) < 32 ||
            ForbiddenCharacters.find(c) != std::string_view::npos)
            c = ' ';
    }
    markDeviceName(name);
    name.resize(fittingPrefix(name, MaxFileNameUnits).size());
    // Windows drops trailing dots and blanks, which would make it another name (".. .." is
    // the parent folder).
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    if (name.empty()) name = "_";
    return name;
}

// Where the last `count` characters of a UTF-8 text begin (0 when it has fewer).
std::size_t lastCharactersStart(std::string_view text, std::size_t count) {
    std::size_t start = text.size();
    for (; count > 0 && start > 0; --count) {
        --start;
        while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
    }
    return count > 0 ? 0 : start;
}

// Variant `counter` of `n`: n without its last four characters, "(counter)", then n's
// extension. Too long a variant is shortened before the number, so that the number and
// the extension survive and every counter gives a different name.
std::string numberedVariant(const std::string& n, int counter) {
    const std::string_view name(n);
    const std::size_t dot = name.rfind('.');
    const std::string_view extension = dot == std::string_view::npos ? "" : name.substr(dot);
    const std::string_view base = name.substr(0, lastCharactersStart(name, 4));
    std::string number(1, '(');
    number.append(std::to_string(counter)).push_back(')');

    const std::size_t extensionUnits = fileNameLength(extension);
    if (number.size() + extensionUnits <= MaxFileNameUnits) {
        std::string variant(fittingPrefix(base, MaxFileNameUnits - number.size() - extensionUnits));
        return variant.append(number).append(extension);
    }
    return number + std::string(fittingPrefix(extension, MaxFileNameUnits - number.size()));
}

// The component's text in UTF-8: the message's fields are in the store's page, the date
// (formatted by the user's pattern) in the system's.
std::optional<std::string> componentValue(const TMessHead& m, const std::string& component,
                                          const TPref& pref, const LocaleSettings& locale) {
    const AnsiCodePage& store = AnsiCodePage::store();
    if (component == "Subject") return store.toUtf8(m.Subject);
    if (component == "From") return store.toUtf8(m.From);
    if (component == "To") return store.toUtf8(m.To);
    if (component == "Reply_To_Address") return store.toUtf8(m.ReplyTo);
    if (component == "Date")
        return AnsiCodePage::system().toUtf8(
            formatDateTime(pref.FileNameDateFormat, m.Received, locale));
    return std::nullopt;
}

}  // namespace

std::string RemoveReText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (i + 3 <= text.size() && (text[i] == 'R' || text[i] == 'r') &&
            (text[i + 1] == 'E' || text[i + 1] == 'e') && text[i + 2] == ':') {
            i += 3;
            continue;
        }
        out += text[i++];
    }
    return out;
}

void CleanFileName(std::string& text) {
    for (char& c : text) {
        // Windows holds control characters in no file name, so they go like the nine.
        const auto code = static_cast<unsigned char>(c);
        if ((code >= 1 && code <= 31) || ForbiddenCharacters.find(c) != std::string_view::npos)
            c = ' ';
    }
    std::size_t begin = 0;
    // A leading dot would hide the file.
    while (begin < text.size() && (isBlankOrControl(text[begin]) || text[begin] == '.')) ++begin;
    std::size_t end = text.size();
    while (end > begin && isBlankOrControl(text[end - 1])) --end;
    text = text.substr(begin, end - begin);
}

std::string safeFileName(std::string name) {
    CleanFileName(name);
    while (!name.empty() && (name.back() == '.' || isBlankOrControl(name.back()))) name.pop_back();
    markDeviceName(name);
    return name;
}

std::string attachmentFileName(std::string_view name) {
    constexpr std::size_t LongestExtension = 16;
    std::string safe = safeFileName(withoutDirectionControls(name));
    if (safe.size() > MaxFileNameUnits) {
        const std::size_t dot = safe.rfind('.');
        const std::string extension =
            dot != std::string::npos && safe.size() - dot <= LongestExtension ? safe.substr(dot)
                                                                              : std::string();
        std::size_t keep = MaxFileNameUnits - extension.size();
        // Never inside a character: UTF-8 continuation bytes are 10xxxxxx.
        while (keep > 0 && (static_cast<unsigned char>(safe[keep]) & 0xC0) == 0x80) --keep;
        safe = safeFileName(safe.substr(0, keep) + extension);
    }
    return safe.empty() ? "Attachment" : safe;
}

std::string freeFileName(const std::string& folder, const std::string& name) {
    const auto taken = [&folder](const std::string& candidate) {
        const std::string path = joinPath(folder, candidate);
        std::error_code error;
        return std::filesystem::exists(std::u8string(path.begin(), path.end()), error) ||
               error;  // what cannot be looked at is not ours to take
    };
    if (!taken(name)) return name;
    const std::size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
    for (int counter = 2;; ++counter) {
        const std::string number = "(" + std::to_string(counter) + ")";
        std::size_t keep = name.size() - extension.size();
        if (keep + number.size() + extension.size() > MaxFileNameUnits)
            keep = MaxFileNameUnits > number.size() + extension.size()
                       ? MaxFileNameUnits - number.size() - extension.size()
                       : 0;
        // Never inside a character: UTF-8 continuation bytes are 10xxxxxx.
        while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
        const std::string candidate = name.substr(0, keep) + number + extension;
        if (!taken(candidate)) return candidate;
    }
}

std::string StripTrailingBackslash(const std::string& path) {
    if (path.size() > 1 && path.back() == pathSeparator()) return path.substr(0, path.size() - 1);
    return path;
}

void AddFiles(const std::string& folder, FileList& list) {
    list.refreshFrom(StripTrailingBackslash(folder));
}

std::string composeFileNameBase(const TMessHead& m, const FileNameItems& items, const TPref& pref,
                                const LocaleSettings& locale) {
    const std::string_view open = pref.EncloseItems ? "[" : "";
    const std::string_view close = pref.EncloseItems ? "]" : "";
    std::string name;
    for (const FileNameItem& item : items) {
        if (item.flag != "1") continue;
        const std::optional<std::string> value = componentValue(m, item.name, pref, locale);
        if (value) name.append(open).append(*value).append(close);
    }
    // Working on UTF-8 touches only ASCII bytes: no character of another script has one.
    if (pref.Remove_Re) name = RemoveReText(name);
    CleanFileName(name);
    const AnsiCodePage& system = AnsiCodePage::system();
    if (name.empty()) name = system.toUtf8(pref.Default_Filename);
    return name + system.toUtf8(pref.Default_Extension);
}

std::string MakeUniqueFileName(const std::string& n, const std::string& directory,
                               FileList& fileList) {
    // A folder that cannot be listed leaves the list as it was.
    AddFiles(directory, fileList);
    std::string candidate = plainFileName(n);
    if (!fileList.contains(candidate)) return candidate;
    // Every variant below the hint was taken when last tried, and nothing has left the
    // list since, so the first free one is not below it.
    int counter = fileList.firstUntriedCounter(n);
    for (;; ++counter) {
        candidate = plainFileName(numberedVariant(n, counter));
        if (!fileList.contains(candidate)) break;
    }
    fileList.rememberTaken(n, counter - 1);
    return candidate;
}

std::string ComposeFileName(const TMessHead& m, const FileNameItems& items, const TPref& pref,
                            FileList& fileList, const LocaleSettings& locale) {
    return MakeUniqueFileName(composeFileNameBase(m, items, pref, locale), pref.Directory,
                              fileList);
}

std::string fileSystemPath(const std::string& directory, const std::string& name) {
    return joinPath(StripTrailingBackslash(directory), name);
}

}  // namespace mq
