#include "ui/AnsiText.h"

#include "platform/AnsiCodePage.h"

namespace mq {

QString widenAnsi(const AnsiCodePage& page, std::string_view text) {
    const std::u16string wide = page.widen(text);
    return QString::fromUtf16(wide.data(), qsizetype(wide.size()));
}

std::string narrowToAnsi(const AnsiCodePage& page, const QString& text) {
    return page.fromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                              std::size_t(text.size())));
}

}  // namespace mq
