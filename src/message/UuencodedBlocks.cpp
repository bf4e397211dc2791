#include "message/UuencodedBlocks.h"

#include "message/GmimeObjects.h"

namespace mq {

namespace {

std::string_view lineAt(std::string_view text, std::size_t start, std::size_t& next) {
    std::size_t end = text.find('\n', start);
    next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    return line;
}

// "begin", a blank, three or four octal digits (the file's mode), a blank, the name.
bool readBeginLine(std::string_view line, std::string& name) {
    constexpr std::string_view Begin = "begin ";
    if (!line.starts_with(Begin)) return false;
    line.remove_prefix(Begin.size());
    std::size_t digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '7') ++digits;
    if (digits < 3 || digits > 4 || digits >= line.size() || line[digits] != ' ') return false;
    line.remove_prefix(digits + 1);
    if (line.empty()) return false;
    name = line;
    return true;
}

}  // namespace

std::vector<UuencodedBlock> findUuencodedBlocks(std::string_view text, std::size_t maxBlocks,
                                                std::size_t& leftOut) {
    std::vector<UuencodedBlock> blocks;
    leftOut = 0;
    UuencodedBlock open;
    bool inBlock = false;
    for (std::size_t start = 0, next = 0; start < text.size(); start = next) {
        const std::string_view line = lineAt(text, start, next);
        std::string name;
        if (readBeginLine(line, name)) {
            // A second "begin" before an "end": the first block was cut short.
            open = {start, 0, std::move(name)};
            inBlock = true;
        } else if (inBlock && line == "end") {
            open.end = next;
            inBlock = false;
            if (blocks.size() < maxBlocks)
                blocks.push_back(std::move(open));
            else
                ++leftOut;
        }
    }
    return blocks;
}

std::string uudecode(std::string_view block) {
    initGmime();
    GmimePtr<GMimeFilter> filter(g_mime_filter_basic_new(GMIME_CONTENT_ENCODING_UUENCODE, FALSE));
    std::string in(block);
    char* out = nullptr;
    std::size_t outLength = 0;
    std::size_t outPrespace = 0;
    // Only its filter step looks for the "begin" line.
    g_mime_filter_filter(filter.get(), in.data(), in.size(), 0, &out, &outLength, &outPrespace);
    std::string data(out, outLength);
    g_mime_filter_complete(filter.get(), in.data(), 0, 0, &out, &outLength, &outPrespace);
    return data.append(out, outLength);
}

std::string withoutBlocks(std::string_view text, const std::vector<UuencodedBlock>& blocks) {
    std::string kept;
    std::size_t from = 0;
    for (const UuencodedBlock& block : blocks) {
        kept += text.substr(from, block.start - from);
        from = block.end;
    }
    kept += text.substr(from);
    return kept;
}

}  // namespace mq
