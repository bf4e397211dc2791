#include "extract/AddressScanning.h"

#include <cstdint>

namespace mq {

namespace {

void offerToken(std::string_view token, const TEmailChk& checker, FoundAddresses& found) {
    // Most tokens are plain words: without an "@" the validator rejects them anyway, so
    // they are not worth a copy.
    if (token.find('@') == std::string_view::npos) return;
    const std::string candidate = TEmailChk::TrimDots(token);
    std::int32_t errorCode = 0;
    std::int32_t errorPos = 0;
    if (checker.CheckEmail(candidate, errorCode, errorPos)) found.add(candidate);
}

}  // namespace

void FindAddresses(std::string_view text, const TEmailChk& checker, FoundAddresses& found) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!isEmailChar(static_cast<unsigned char>(text[i]))) {
            if (i > start) offerToken(text.substr(start, i - start), checker, found);
            start = i + 1;
        }
    }
    if (start < text.size()) offerToken(text.substr(start), checker, found);
}

std::string_view GetMessageBody(std::string_view text) {
    const std::size_t separator = text.find("\r\n\r\n");
    if (separator == std::string_view::npos) return text;
    return text.substr(separator);
}

std::string combinedScanText(std::string_view replyTo, std::string_view body) {
    std::string text;
    text.reserve(replyTo.size() + body.size() + 1);
    text.append(replyTo).append(body).push_back('>');
    return text;
}

}  // namespace mq
