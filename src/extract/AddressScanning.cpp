#include "extract/AddressScanning.h"

#include <cstdint>

namespace mq {

namespace {

void offerToken(std::string_view token, const TEmailChk& checker, FoundAddresses& found) {
    const std::string_view candidate = TEmailChk::TrimDots(token);
    // An address met before passed the validator then: a mailbox repeats its addresses.
    if (found.met(candidate)) return;
    std::int32_t errorCode = 0;
    std::int32_t errorPos = 0;
    if (checker.CheckEmail(candidate, errorCode, errorPos)) found.add(std::string(candidate));
}

}  // namespace

void FindAddresses(std::string_view text, const TEmailChk& checker, FoundAddresses& found) {
    // Only a token holding an "@" can pass the validator, so the scan jumps from one "@" to
    // the next and widens each to its whole token: the same tokens in the same order as a
    // walk over every character, at the speed of the search for "@".
    const auto inToken = [&text](std::size_t i) {
        return isEmailChar(static_cast<unsigned char>(text[i]));
    };
    std::size_t done = 0;  // everything before this index belongs to tokens already offered
    for (std::size_t at = text.find('@'); at != std::string_view::npos; at = text.find('@', done)) {
        std::size_t start = at;
        while (start > done && inToken(start - 1)) --start;
        std::size_t end = at + 1;
        while (end < text.size() && inToken(end)) ++end;
        offerToken(text.substr(start, end - start), checker, found);
        done = end;
    }
}

std::string_view GetMessageBody(std::string_view text) {
    const std::size_t separator = text.find("\r\n\r\n");
    if (separator == std::string_view::npos) return text;
    return text.substr(separator);
}

std::string combinedScanText(std::string_view replyTo, std::string_view body) {
    // A body cut at its blank line starts with a line break. A message without one is
    // scanned whole, and its first header word would run into the Reply-To's last address
    // ("a@b.com" + "Return-path:"), so a line break keeps the two apart.
    const bool needsBreak = !replyTo.empty() && !body.starts_with("\r\n");
    std::string text;
    text.reserve(replyTo.size() + body.size() + 3);
    text.append(replyTo);
    if (needsBreak) text.append("\r\n");
    text.append(body).push_back('>');
    return text;
}

}  // namespace mq
