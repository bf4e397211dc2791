#include "message/PartContent.h"

#include "message/GmimeObjects.h"

#include <array>

namespace mq {

namespace {

bool needsDecoding(GMimeContentEncoding encoding) {
    return encoding == GMIME_CONTENT_ENCODING_BASE64 ||
           encoding == GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE ||
           encoding == GMIME_CONTENT_ENCODING_UUENCODE;
}

enum Base64Class : unsigned char { NotBase64, Letter, Blank, LineEnd, Ignored };

// What each byte is in base64 text. A NUL is taken as absent, as the decoder takes it.
constexpr std::array<Base64Class, 256> base64Classes = [] {
    std::array<Base64Class, 256> classes{};
    for (const unsigned char c :
         std::string_view("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=")) {
        classes[c] = Letter;
    }
    classes[' '] = classes['\t'] = Blank;
    classes['\r'] = classes['\n'] = LineEnd;
    classes[0] = Ignored;
    return classes;
}();

// Whether a text can be base64 as encoders write it: its alphabet in lines, no blanks
// between the letters of a line. Words in a text marked base64 by mistake are not; a few
// stray bytes in base64 damaged on its way are passed over by the decoder.
class Base64Check {
public:
    void read(std::string_view chunk) {
        for (const unsigned char c : chunk) {
            // What follows the padding is no part of the data; the decoder stops there too.
            if (padded_) return;
            switch (base64Classes[c]) {
                case NotBase64:
                    ++strays_;
                    break;
                case Letter:
                    if (blankAfterLetter_) wordsOnLine_ = true;
                    padded_ = c == '=';
                    letterOnLine_ = true;
                    ++letters_;
                    break;
                case Blank:
                    blankAfterLetter_ = letterOnLine_;
                    break;
                case LineEnd:
                    letterOnLine_ = blankAfterLetter_ = false;
                    break;
                case Ignored:
                    break;
            }
        }
    }
    bool valid() const { return !wordsOnLine_ && strays_ <= letters_ / 64; }

private:
    std::uint64_t letters_ = 0;
    std::uint64_t strays_ = 0;
    bool wordsOnLine_ = false;
    bool letterOnLine_ = false;
    bool padded_ = false;
    bool blankAfterLetter_ = false;
};

// The decoder keeps the last group of base64 back until it is complete; written without its
// padding, as some encoders did, two or three letters still hold one or two bytes.
std::string base64Tail(const GMimeEncoding& state) {
    const guint32 bits = state.save;
    if (state.state == 2) return {static_cast<char>(bits >> 4)};
    if (state.state == 3) return {static_cast<char>(bits >> 10), static_cast<char>(bits >> 2)};
    return {};
}

// Hands the text of a part that is no single leaf (an attached message, a multipart whose
// parts could not be found) to the sink, in one piece.
bool writeWhole(GMimeObject* part, const ContentSink& sink) {
    if (GMIME_IS_MULTIPART(part)) {
        const char* prologue = g_mime_multipart_get_prologue(GMIME_MULTIPART(part));
        if (prologue) sink(prologue);
        return true;
    }
    GmimePtr<GMimeStream> stream(g_mime_stream_mem_new());
    std::unique_ptr<GMimeFormatOptions, decltype(&g_mime_format_options_free)> format(
        g_mime_format_options_new(), &g_mime_format_options_free);
    // Stored messages end their lines in CR LF; an attached one is saved the same way.
    g_mime_format_options_set_newline_format(format.get(), GMIME_NEWLINE_FORMAT_DOS);
    GMimeMessage* message = g_mime_message_part_get_message(GMIME_MESSAGE_PART(part));
    if (message) g_mime_object_write_to_stream(GMIME_OBJECT(message), format.get(), stream.get());
    const GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream.get()));
    sink({reinterpret_cast<const char*>(bytes->data), bytes->len});
    return true;
}

}  // namespace

bool readContent(GMimeObject* part, bool decode, const ContentSink& sink) {
    if (!GMIME_IS_PART(part)) return writeWhole(part, sink);
    GMimeDataWrapper* content = g_mime_part_get_content(GMIME_PART(part));
    if (!content) return true;
    GMimeStream* stream = g_mime_data_wrapper_get_stream(content);
    const GMimeContentEncoding encoding = g_mime_data_wrapper_get_encoding(content);
    decode = decode && needsDecoding(encoding);
    // The filter rather than the bare decoder: it passes over uuencode's "begin" line.
    GmimePtr<GMimeFilter> filter(decode ? g_mime_filter_basic_new(encoding, FALSE) : nullptr);
    std::array<char, 64 * 1024> in;
    Base64Check base64;
    g_mime_stream_reset(stream);
    for (bool more = true; more;) {
        const auto n = g_mime_stream_read(stream, in.data(), in.size());
        const std::size_t length = n > 0 ? static_cast<std::size_t>(n) : 0;
        if (encoding == GMIME_CONTENT_ENCODING_BASE64) base64.read({in.data(), length});
        if (!decode) {
            more = length > 0 && sink({in.data(), length});
            continue;
        }
        more = length > 0;
        char* out = nullptr;
        std::size_t outLength = 0;
        std::size_t outPrespace = 0;
        if (more) {
            g_mime_filter_filter(filter.get(), in.data(), length, 0, &out, &outLength,
                                 &outPrespace);
            more = sink({out, outLength});
            continue;
        }
        g_mime_filter_complete(filter.get(), in.data(), 0, 0, &out, &outLength, &outPrespace);
        std::string last(out, outLength);
        if (encoding == GMIME_CONTENT_ENCODING_BASE64)
            last += base64Tail(GMIME_FILTER_BASIC(filter.get())->encoder);
        sink(last);
    }
    return base64.valid();
}

std::size_t storedContentSize(GMimeObject* part) {
    GMimeDataWrapper* content =
        GMIME_IS_PART(part) ? g_mime_part_get_content(GMIME_PART(part)) : nullptr;
    const gint64 length = content ? g_mime_stream_length(g_mime_data_wrapper_get_stream(content)) : 0;
    return length > 0 ? static_cast<std::size_t>(length) : 0;
}

void readData(GMimeObject* part, const ContentSink& sink, const std::function<void()>& restart) {
    if (readContent(part, true, sink)) return;
    restart();
    readContent(part, false, sink);
}

std::string partData(GMimeObject* part) {
    std::string data;
    readData(
        part,
        [&data](std::string_view chunk) {
            data += chunk;
            return true;
        },
        [&data] { data.clear(); });
    return data;
}

std::uint64_t partDataSize(GMimeObject* part) {
    std::uint64_t size = 0;
    readData(
        part,
        [&size](std::string_view chunk) {
            size += chunk.size();
            return true;
        },
        [&size] { size = 0; });
    return size;
}

}  // namespace mq
