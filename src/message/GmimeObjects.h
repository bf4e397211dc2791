#pragma once

#include "message/ParseableText.h"

#include <gmime/gmime.h>

#include <memory>
#include <string_view>

namespace mq {

class AnsiCodePage;

struct GObjectUnref {
    void operator()(void* object) const { g_object_unref(object); }
};
template <typename T>
using GmimePtr = std::unique_ptr<T, GObjectUnref>;

struct GFree {
    void operator()(char* text) const { g_free(text); }
};
using GmimeText = std::unique_ptr<char, GFree>;

// Safe to call from any thread, any number of times.
void initGmime();

// Options that read 8-bit bytes GMime cannot place (in encoded words of unknown or wrong
// charsets) as UTF-8 if they are, else in the ANSI page, never in the machine's locale.
class ParserOptions {
public:
    explicit ParserOptions(const AnsiCodePage& page);
    GMimeParserOptions* get() const { return options_.get(); }

private:
    struct Free {
        void operator()(GMimeParserOptions* options) const { g_mime_parser_options_free(options); }
    };
    std::unique_ptr<GMimeParserOptions, Free> options_;
};

// A stored text parsed as a MIME message where it lies, without copying it (50 MB take as
// long to copy as to parse) unless it needs mending: the text must outlive the message.
class ParsedMessage {
public:
    ParsedMessage(std::string_view storedText, const ParserOptions& options);
    // Null when the text has no header block to start from.
    GMimeMessage* get() const { return message_.get(); }
    // Parts of the text the parser was not given, see ParseableText.
    std::size_t partsLeftOut() const { return text_.partsLeftOut(); }

private:
    struct Release {
        void operator()(GByteArray* bytes) const { g_byte_array_free(bytes, FALSE); }
    };
    ParseableText text_;
    // The text's own bytes, which GMime only reads; released last, and never freed here.
    std::unique_ptr<GByteArray, Release> bytes_;
    GmimePtr<GMimeStream> stream_;
    GmimePtr<GMimeMessage> message_;
};

}  // namespace mq
