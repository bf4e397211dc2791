#include "save/FileNameItems.h"

#include <string_view>
#include <vector>

namespace mq {

namespace {

bool isBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// The comma-separated list: blanks and control characters around entries are skipped, a
// quoted entry runs to its closing quote with "" standing for one quote, an unquoted entry
// ends at a comma, blank or control character, and a comma that ends the text adds an
// empty entry.
std::vector<std::string> splitCommaText(std::string_view text) {
    text = text.substr(0, text.find('\0'));  // a stored text ends at its first NUL
    std::vector<std::string> entries;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && isBlankOrControl(text[i])) ++i;
    };
    skipBlanks();
    while (i < text.size()) {
        std::string entry;
        if (text[i] == '"') {
            ++i;
            while (i < text.size()) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        entry += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                entry += text[i++];
            }
        } else {
            while (i < text.size() && text[i] != ',' && !isBlankOrControl(text[i])) {
                entry += text[i++];
            }
        }
        entries.push_back(std::move(entry));
        skipBlanks();
        if (i < text.size() && text[i] == ',') {
            ++i;
            if (i == text.size()) entries.emplace_back();
            skipBlanks();
        }
    }
    return entries;
}

bool needsQuotes(std::string_view entry) {
    if (entry.empty()) return true;
    for (char c : entry) {
        if (static_cast<unsigned char>(c) <= 32 || c == ',' || c == '"') return true;
    }
    return false;
}

}  // namespace

void parseFileNameFormat(const std::string& stored, FileNameItems& items) {
    const std::vector<std::string> entries = splitCommaText(stored);
    // Only five slots exist: later entries are ignored. An empty entry has no flag, so its
    // slot keeps what it held, as a missing entry does.
    for (std::size_t k = 0; k < entries.size() && k < items.size(); ++k) {
        const std::string& entry = entries[k];
        if (entry.empty()) continue;
        items[k].name = entry.substr(0, entry.size() - 1);
        items[k].flag = entry.substr(entry.size() - 1);
    }
}

std::string formatFileNameFormat(const FileNameItems& items) {
    std::string stored;
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (k > 0) stored += ',';
        const std::string entry = items[k].name + items[k].flag;
        if (!needsQuotes(entry)) {
            stored += entry;
            continue;
        }
        stored += '"';
        for (char c : entry) {
            if (c == '"') stored += '"';
            stored += c;
        }
        stored += '"';
    }
    return stored;
}

}  // namespace mq
