// Decoding messages of 1 MB and 50 MB for reading: a plain text, a short text with a base64
// attachment, and a quoted-printable text in windows-1252. "First" is what the reader shows
// at once (the default limit), "All" the whole body on request, "Attachment" the bytes that
// saving the attachment writes.
#include "message/DecodedMessage.h"
#include "platform/AnsiCodePage.h"
#include "support/GeneratedFolder.h"

#include <benchmark/benchmark.h>
#include <gmime/gmime.h>

#include <map>
#include <string>
#include <utility>

namespace {

enum Kind { Plain, Base64, QuotedPrintable };

constexpr std::size_t MB = 1024 * 1024;

std::string encoded(const std::string& bytes, GMimeContentEncoding encoding) {
    GMimeEncoding state;
    g_mime_encoding_init_encode(&state, encoding);
    std::string out(g_mime_encoding_outlen(&state, bytes.size()), '\0');
    out.resize(g_mime_encoding_flush(&state, bytes.data(), bytes.size(), out.data()));
    return out;
}

std::string makeMessage(Kind kind, std::size_t size) {
    const std::string header =
        "From: \"Anna Schr=?iso-8859-1?Q?=F6?=der\" <anna@example.org>\r\n"
        "To: martin@example.com\r\nSubject: =?utf-8?Q?Gr=C3=BC=C3=9Fe?=\r\n"
        "Date: Fri, 14 May 2004 16:45:12 +0200\r\nMIME-Version: 1.0\r\n";
    switch (kind) {
        case Plain:
            return mq::generatedText(1, size);
        case Base64: {
            std::string data(size * 3 / 4, '\0');
            for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7919);
            return header +
                   "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
                   "Content-Type: text/plain\r\n\r\nThe pictures are attached.\r\n--b\r\n"
                   "Content-Type: application/octet-stream; name=pictures.zip\r\n"
                   "Content-Transfer-Encoding: base64\r\n\r\n" +
                   encoded(data, GMIME_CONTENT_ENCODING_BASE64) + "--b--\r\n";
        }
        case QuotedPrintable: {
            const std::string line =
                "Gr\xFC\xDF"
                "e aus K\xF6ln, das Wetter ist sch\xF6n. ";
            std::string text;
            while (text.size() < size / 2) text += line + (text.size() % 3 ? "" : "\r\n");
            return header +
                   "Content-Type: text/plain; charset=windows-1252\r\n"
                   "Content-Transfer-Encoding: quoted-printable\r\n\r\n" +
                   encoded(text, GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE);
        }
    }
    return {};
}

const std::string& message(Kind kind, std::size_t size) {
    static std::map<std::pair<Kind, std::size_t>, std::string> made;
    auto [it, added] = made.try_emplace({kind, size});
    if (added) it->second = makeMessage(kind, size);
    return it->second;
}

void decode(benchmark::State& state, const mq::DecodeLimits& limits) {
    const std::string& text =
        message(static_cast<Kind>(state.range(0)), static_cast<std::size_t>(state.range(1)) * MB);
    const mq::AnsiCodePage page(1252);
    for (auto _ : state) {
        const mq::DecodedMessage decoded = mq::decodeMessage(text, page, limits);
        benchmark::DoNotOptimize(decoded.body.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_DecodeFirst(benchmark::State& state) {
    decode(state, {});
}

void BM_DecodeAll(benchmark::State& state) {
    decode(state, mq::DecodeLimits::unlimited());
}

void BM_AttachmentData(benchmark::State& state) {
    const std::string& text = message(Base64, static_cast<std::size_t>(state.range(0)) * MB);
    const mq::AnsiCodePage page(1252);
    for (auto _ : state) benchmark::DoNotOptimize(mq::attachmentData(text, page, 0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// Arguments: kind (0 plain, 1 base64, 2 quoted-printable), size in MB.
BENCHMARK(BM_DecodeFirst)
    ->ArgsProduct({{Plain, Base64, QuotedPrintable}, {1, 50}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeAll)
    ->ArgsProduct({{Plain, Base64, QuotedPrintable}, {1, 50}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AttachmentData)->Arg(1)->Arg(50)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
