#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace mq {

class AnsiCodePage;

// Store texts and preference values are 8-bit texts in the ANSI code page; the widgets show
// and take them as Qt's strings. Characters the page cannot hold become '?'.
QString widenAnsi(const AnsiCodePage& page, std::string_view text);
std::string narrowToAnsi(const AnsiCodePage& page, const QString& text);

}  // namespace mq
