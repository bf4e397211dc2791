#include "ui/StatusTexts.h"

#include <algorithm>

namespace mq {

namespace {

QString messages(std::int32_t count) {
    return countedText(static_cast<std::size_t>(std::max(count, 0)), "message", "messages");
}

}  // namespace

QString savedText(std::int32_t saved, std::int32_t total, const QString& place, bool cancelled,
                  bool failed) {
    if (cancelled) {
        return (failed ? QStringLiteral("Saving stopped after ")
                       : QStringLiteral("Saving cancelled after ")) +
               QString::number(saved) + QStringLiteral(" of ") + messages(total);
    }
    const QString count = saved == total
                              ? messages(saved)
                              : QString::number(saved) + QStringLiteral(" of ") + messages(total);
    return count + QStringLiteral(" saved to ") + place;
}

QString addressesFoundText(std::size_t found, bool cancelled, std::int32_t scanned,
                           std::int32_t total) {
    const QString addresses = countedText(found, "address", "addresses") + QStringLiteral(" found");
    if (!cancelled) return addresses;
    return QStringLiteral("Scanning cancelled after ") + QString::number(scanned) +
           QStringLiteral(" of ") + messages(total) + QStringLiteral(": ") + addresses;
}

QString indexHintText(std::size_t listed, std::int32_t claimed) {
    // Only a difference of more than a tenth, and of more than two messages, is worth the
    // user's attention: small ones leave nothing to recover that matters.
    const auto count = static_cast<std::size_t>(std::max(claimed, 0));
    if (listed >= count) return {};
    const std::size_t missing = count - listed;
    if (missing <= 2 || missing * 10 <= count) return {};
    return QStringLiteral(
               "The index lists %1 of %2: File > Recover Messages... may find the "
               "others.")
        .arg(listed)
        .arg(messages(claimed));
}

}  // namespace mq
