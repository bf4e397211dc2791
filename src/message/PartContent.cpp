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

enum Base64Class : unsigned char { NotBase64, Letter, Filler };

// What each byte is in base64 text: a letter of its alphabet, padding or white space, or
// neither.
constexpr std::array<Base64Class, 256> base64Classes = [] {
    std::array<Base64Class, 256> classes{};
    for (const unsigned char c :
         std::string_view("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")) {
        classes[c] = Letter;
    }
    for (const unsigned char c : std::string_view("= \t\r\n")) classes[c] = Filler;
    return classes;
}();

bool isBase64Text(std::string_view chunk) {
    for (const unsigned char c : chunk) {
        if (base64Classes[c] == NotBase64) return false;
    }
    return true;
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
    GMimeEncoding decoder;
    g_mime_encoding_init_decode(&decoder, encoding);
    std::array<char, 64 * 1024> in;
    std::string out;
    bool base64Text = true;
    g_mime_stream_reset(stream);
    for (bool more = true; more;) {
        const auto n = g_mime_stream_read(stream, in.data(), in.size());
        const std::size_t length = n > 0 ? static_cast<std::size_t>(n) : 0;
        if (encoding == GMIME_CONTENT_ENCODING_BASE64) {
            base64Text = base64Text && isBase64Text({in.data(), length});
        }
        if (!decode) {
            more = length > 0 && sink({in.data(), length});
            continue;
        }
        more = length > 0;
        out.resize(g_mime_encoding_outlen(&decoder, length));
        const std::size_t decoded =
            more ? g_mime_encoding_step(&decoder, in.data(), length, out.data())
                 : g_mime_encoding_flush(&decoder, in.data(), 0, out.data());
        more = sink({out.data(), decoded}) && more;
    }
    return base64Text;
}

std::string partData(GMimeObject* part) {
    std::string data;
    readContent(part, true, [&data](std::string_view chunk) {
        data += chunk;
        return true;
    });
    return data;
}

std::uint64_t partDataSize(GMimeObject* part) {
    GMimeDataWrapper* content =
        GMIME_IS_PART(part) ? g_mime_part_get_content(GMIME_PART(part)) : nullptr;
    if (content && g_mime_data_wrapper_get_encoding(content) == GMIME_CONTENT_ENCODING_BASE64) {
        // Four letters make three bytes: counting them is much quicker than decoding, and
        // exact for base64 as it should be written.
        std::uint64_t letters = 0;
        readContent(part, false, [&letters](std::string_view chunk) {
            for (const unsigned char c : chunk) letters += base64Classes[c] == Letter;
            return true;
        });
        return letters * 3 / 4;
    }
    std::uint64_t size = 0;
    readContent(part, true, [&size](std::string_view chunk) {
        size += chunk.size();
        return true;
    });
    return size;
}

}  // namespace mq
