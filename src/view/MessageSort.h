#pragma once

#include "platform/LocaleSettings.h"
#include "store/TMessHead.h"

#include <string>
#include <string_view>
#include <vector>

namespace mq {

// The message list's five sortable columns, by column index.
enum class MessageColumn { From = 0, ReplyTo = 1, Subject = 2, Receipt = 3, Received = 4 };
inline constexpr int MessageColumnCount = 5;

// Byte comparison that folds only 'a'..'z' to upper case; bytes 128..255 compare as
// unsigned values. A text sorts before any longer text that starts with it.
int compareText(std::string_view a, std::string_view b);

// A date-time as the sort key of the "Received" column: at most 15 significant digits,
// padded to 16 decimals, the integer part grouped with the user's thousands separator.
std::string numberText(double value, const LocaleSettings& locale);

// The comparison rule of one column and direction: negative when a goes before b. The
// texts of columns 0 to 3 compare as characters of the store's page under the user's locale,
// ignoring case; "Received" by its number text (compareText). Columns outside 0..4 compare
// equal.
int compareMessages(const TMessHead& a, const TMessHead& b, int column, bool ascending,
                    const LocaleSettings& locale);

// Reorders the list in place by one column's rule (not stable, no secondary key). A column
// outside 0..4 leaves the list as it is.
void sortMessageList(std::vector<TMessHead>& list, int column, bool ascending,
                     const LocaleSettings& locale);

}  // namespace mq
