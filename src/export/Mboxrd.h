#pragma once

#include "extract/TEmailChk.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace mq {

// The line that opens a message in an mbox file, ending in LF: "From ", the sender's
// address (from the text's Return-Path, else its From header; MAILER-DAEMON when neither
// holds one the validator accepts), a blank and the date (FILETIME, shown in UTC) in the
// form "Sat Jan  3 01:05:34 2004".
std::string mboxFromLine(std::string_view text, std::uint64_t date, const TEmailChk& checker);

// What opens a text that does not begin with a header line (a recovered fragment, a text
// beginning with a blank or a "From " line): without it, readers take the text for the rest
// of the message before.
inline constexpr std::string_view FragmentLine = "X-Mailquarry-Fragment: yes\r\n";

// Appends the message as mboxrd keeps it: FragmentLine first when the text does not begin
// with a header line, every line that begins with any number of ">" followed by "From " gets
// one more ">", a last line without its end gets CR LF, and an empty line (LF) follows,
// which the next "From " line needs before it.
void appendMboxrdMessage(std::string& out, std::string_view text);

}  // namespace mq
