#include "store/StoreCodePage.h"

#include "platform/AnsiCodePage.h"

#include <algorithm>
#include <array>
#include <exception>
#include <string>

namespace mq {

namespace {

constexpr std::size_t MaxMessages = 300;
constexpr std::size_t MaxMessagesPerFolder = 100;
// Enough for the header of nearly every message; the body is of no interest here.
constexpr std::uint64_t HeaderBlocks = 16;

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowerCase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lower);
    return out;
}

std::string_view headerPart(std::string_view text) {
    const std::size_t crlf = text.find("\r\n\r\n");
    const std::size_t lf = text.find("\n\n");
    return text.substr(0, std::min(crlf, lf));
}

class NoStop : public MessageReadObserver {
public:
    bool cancelled() const override { return false; }
    void blockRead() override {}
};

}  // namespace

int codePageForCharset(std::string_view charset) {
    struct Entry {
        std::string_view name;
        int codePage;
    };
    static constexpr std::array<Entry, 52> entries{{
        {"iso-2022-jp", 932},   {"shift_jis", 932},
        {"shift-jis", 932},     {"sjis", 932},
        {"x-sjis", 932},        {"windows-31j", 932},
        {"cp932", 932},         {"euc-jp", 932},
        {"gb2312", 936},        {"gbk", 936},
        {"x-gbk", 936},         {"cp936", 936},
        {"gb18030", 936},       {"euc-cn", 936},
        {"hz-gb-2312", 936},    {"ks_c_5601-1987", 949},
        {"ks_c_5601", 949},     {"euc-kr", 949},
        {"iso-2022-kr", 949},   {"cp949", 949},
        {"big5", 950},          {"big5-hkscs", 950},
        {"x-x-big5", 950},      {"cp950", 950},
        {"windows-874", 874},   {"tis-620", 874},
        {"iso-8859-11", 874},   {"windows-1250", 1250},
        {"iso-8859-2", 1250},   {"windows-1251", 1251},
        {"iso-8859-5", 1251},   {"koi8-r", 1251},
        {"koi8-u", 1251},       {"windows-1252", 1252},
        {"iso-8859-1", 1252},   {"iso-8859-15", 1252},
        {"windows-1253", 1253}, {"iso-8859-7", 1253},
        {"windows-1254", 1254}, {"iso-8859-9", 1254},
        {"windows-1255", 1255}, {"iso-8859-8", 1255},
        {"iso-8859-8-i", 1255}, {"windows-1256", 1256},
        {"iso-8859-6", 1256},   {"windows-1257", 1257},
        {"iso-8859-4", 1257},   {"iso-8859-13", 1257},
        {"windows-1258", 1258}, {"latin1", 1252},
        {"latin2", 1250},       {"cp1252", 1252},
    }};
    const std::string name = lowerCase(charset);
    for (const Entry& entry : entries)
        if (name == entry.name) return entry.codePage;
    return 0;
}

void CharsetTally::add(std::string_view charset) {
    // RFC 2231 adds a language after '*'.
    charset = charset.substr(0, charset.find('*'));
    if (const int page = codePageForCharset(charset)) {
        ++counts_[page];
        ++votes_;
    }
}

void CharsetTally::addHeader(std::string_view header) {
    const std::string text = lowerCase(header);
    // charset=name or charset="name"
    for (std::size_t at = text.find("charset="); at != std::string::npos;
         at = text.find("charset=", at + 1)) {
        std::size_t begin = at + 8;
        if (begin < text.size() && text[begin] == '"') ++begin;
        const std::size_t end = text.find_first_of("\"; \t\r\n", begin);
        add(std::string_view(text).substr(begin, end == std::string::npos ? end : end - begin));
    }
    // Encoded words: =?charset?B?...?= and =?charset?Q?...?=
    for (std::size_t at = text.find("=?"); at != std::string::npos; at = text.find("=?", at + 2)) {
        const std::size_t begin = at + 2;
        const std::size_t end = text.find('?', begin);
        if (end == std::string::npos || end - begin > 40 || end + 2 >= text.size()) continue;
        if ((text[end + 1] == 'b' || text[end + 1] == 'q') && text[end + 2] == '?')
            add(std::string_view(text).substr(begin, end - begin));
    }
}

std::optional<int> CharsetTally::mostFrequent() const {
    std::optional<int> best;
    std::size_t bestCount = 0;
    for (const auto& [page, count] : counts_) {
        if (count > bestCount) {
            best = page;
            bestCount = count;
        }
    }
    return best;
}

std::optional<int> guessStoreCodePage(StoreReader& reader, const FolderList& folders) {
    CharsetTally tally;
    std::size_t messages = 0;
    NoStop noStop;
    std::string text;
    for (const Toe5_FolderInfo& folder : folders.records()) {
        if (messages >= MaxMessages) break;
        if (folder.FileName.empty()) continue;
        try {
            reader.readFile(folder.FileName, [&](ByteSource& file) {
                MessageInfoList infos;
                dbx::readMessageRecords(file, infos);
                const std::size_t count = std::min(infos.size(), MaxMessagesPerFolder);
                for (std::size_t i = 0; i < count && messages < MaxMessages; ++i, ++messages) {
                    if (infos[i].MessagePosition <= 0) continue;
                    text.clear();
                    dbx::readBlockChain(file, static_cast<std::uint32_t>(infos[i].MessagePosition),
                                        HeaderBlocks, text, noStop);
                    tally.addHeader(headerPart(text));
                }
            });
        } catch (const std::exception&) {
            // A folder the guess cannot read says nothing about the page.
        }
    }
    return tally.mostFrequent();
}

int storeCodePage(StoreReader& reader, const FolderList& folders, std::optional<int> chosen) {
    if (chosen) return *chosen;
    return guessStoreCodePage(reader, folders).value_or(AnsiCodePage::system().codePage());
}

}  // namespace mq
