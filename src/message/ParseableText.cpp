#include "message/ParseableText.h"

#include "message/TextConversion.h"

#include <algorithm>
#include <unordered_set>

namespace mq {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// "Name: value", with NULs taken as absent; blanks before the colon as old mailers wrote.
bool isHeaderLine(std::string_view line) {
    std::size_t i = 0;
    std::size_t nameLength = 0;
    for (; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c == 0 || c == static_cast<unsigned char>(NulStandIn)) continue;
        if (c <= ' ' || c >= 127 || c == ':') break;
        ++nameLength;
    }
    while (i < line.size() && isBlank(line[i])) ++i;
    return nameLength > 0 && i < line.size() && line[i] == ':';
}

// Where a blank line has to go so that the header ends before its first line that is no
// header line; npos when the header ends as it should, or when the text begins with no
// header at all (it is then read as text, not as an empty header).
std::size_t missingHeaderEnd(std::string_view text) {
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.empty()) return std::string_view::npos;
        if (!isHeaderLine(line) && !(start > 0 && isBlank(line.front())))
            return start > 0 ? start : std::string_view::npos;
        start = end + 1;
    }
    return std::string_view::npos;
}

// A line that may begin a part: "--" at the start of a line.
constexpr std::string_view PartStart = "\n--";

std::size_t countPartStarts(std::string_view text) {
    std::size_t count = text.starts_with("--") ? 1 : 0;
    for (std::size_t at = text.find(PartStart); at != std::string_view::npos;
         at = text.find(PartStart, at + 1)) {
        ++count;
    }
    return count;
}

std::string_view trimmedLine(std::string_view text, std::size_t start) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    while (!line.empty() && (isBlank(line.back()) || line.back() == '\r')) line.remove_suffix(1);
    return line;
}

// The boundaries the text declares ("boundary=b" or "boundary=\"b\"", in any letter case).
std::unordered_set<std::string_view> declaredBoundaries(std::string_view text) {
    std::unordered_set<std::string_view> boundaries;
    constexpr std::string_view Name = "oundary=";
    for (std::size_t at = text.find(Name); at != std::string_view::npos;
         at = text.find(Name, at + 1)) {
        if (at == 0 || (text[at - 1] != 'b' && text[at - 1] != 'B')) continue;
        std::size_t start = at + Name.size();
        const bool quoted = start < text.size() && text[start] == '"';
        start += quoted ? 1 : 0;
        std::size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n' &&
               (quoted ? text[end] != '"' : text[end] != ';' && !isBlank(text[end]))) {
            ++end;
        }
        if (end > start) boundaries.insert(text.substr(start, end - start));
    }
    return boundaries;
}

// Where the text stops being given to the parser: at the line that begins the part after
// MaxParts; npos when it has no more parts than that.
struct PartCut {
    std::size_t at = std::string_view::npos;
    std::size_t partsLeftOut = 0;
};

PartCut cutAfterMaxParts(std::string_view text, std::size_t maxParts) {
    PartCut cut;
    // Most texts have few lines that begin with "--"; only those with many are looked at.
    if (countPartStarts(text) <= maxParts) return cut;
    const std::unordered_set<std::string_view> boundaries = declaredBoundaries(text);
    std::size_t parts = 0;
    for (std::size_t start = text.starts_with("--") ? 0 : text.find(PartStart);
         start != std::string_view::npos; start = text.find(PartStart, start + 1)) {
        const std::size_t lineStart = text[start] == '\n' ? start + 1 : start;
        const std::string_view line = trimmedLine(text, lineStart).substr(2);
        // A delimiter begins a part; the last one ("--b--") closes the multipart.
        if (!boundaries.contains(line)) continue;
        if (++parts == maxParts + 1) cut.at = lineStart;
        if (parts > maxParts) ++cut.partsLeftOut;
    }
    return cut;
}

}  // namespace

ParseableText::ParseableText(std::string_view stored) : text_(stored) {
    std::size_t leading = 0;
    while (leading < text_.size() && isBlank(text_[leading])) ++leading;
    text_.remove_prefix(leading);
    const std::size_t headerEnd = missingHeaderEnd(text_);
    const bool hasNul = text_.find('\0') != std::string_view::npos;
    if (headerEnd == std::string_view::npos && !hasNul) {
        keepParts();
        return;
    }

    copy_.reserve(text_.size() + 2);
    copy_ = text_.substr(0, std::min(headerEnd, text_.size()));
    if (headerEnd != std::string_view::npos) {
        copy_ += "\r\n";
        copy_ += text_.substr(headerEnd);
    }
    if (hasNul) {
        for (std::size_t at = copy_.find('\0'); at != std::string::npos;
             at = copy_.find('\0', at + 1)) {
            copy_[at] = NulStandIn;
            nuls_.push_back(at);
        }
    }
    text_ = copy_;
    keepParts();
}

void ParseableText::keepParts() {
    const PartCut cut = cutAfterMaxParts(text_, MaxParts);
    if (cut.at == std::string_view::npos) return;
    text_ = text_.substr(0, cut.at);
    partsLeftOut_ = cut.partsLeftOut;
}

void ParseableText::restoreNuls() {
    for (const std::size_t at : nuls_) copy_[at] = '\0';
}

}  // namespace mq
