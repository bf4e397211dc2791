#include "view/MessageSort.h"

#include "platform/AnsiCodePage.h"
#include "platform/LocaleCompare.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>

namespace mq {

namespace {

constexpr int SignificantDigits = 15;
constexpr int Decimals = 16;

unsigned char foldUpper(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 'a' && b <= 'z') ? static_cast<unsigned char>(b - 'a' + 'A') : b;
}

std::string groupThousands(const std::string& digits, const std::string& separator) {
    std::string out;
    out.reserve(digits.size() + digits.size() / 3 * separator.size());
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
        out += digits[i];
    }
    return out;
}

// The integer and fraction digits of |value| rounded to 15 significant digits, the
// fraction exactly 16 digits long.
void splitDigits(double magnitude, std::string& integerDigits, std::string& fractionDigits) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", SignificantDigits - 1, magnitude);
    // buffer: d.dddddddddddddde[+-]XX
    std::string mantissa;
    mantissa += buffer[0];
    mantissa.append(buffer + 2, SignificantDigits - 1);
    const int exponent = std::atoi(buffer + 2 + (SignificantDigits - 1) + 1);

    if (exponent <= -2) {
        // Sixteen decimals already hold at most fifteen significant digits here.
        std::snprintf(buffer, sizeof buffer, "%.*f", Decimals, magnitude);
        const std::string text = buffer;
        const std::size_t point = text.find('.');
        integerDigits = text.substr(0, point);
        fractionDigits = text.substr(point + 1);
        return;
    }
    if (exponent < 0) {
        integerDigits.assign(1, '0');
        fractionDigits = mantissa;
    } else if (exponent + 1 >= SignificantDigits) {
        integerDigits =
            mantissa + std::string(static_cast<std::size_t>(exponent + 1 - SignificantDigits), '0');
        fractionDigits.clear();
    } else {
        integerDigits = mantissa.substr(0, static_cast<std::size_t>(exponent + 1));
        fractionDigits = mantissa.substr(static_cast<std::size_t>(exponent + 1));
    }
    fractionDigits.resize(Decimals, '0');
}

}  // namespace

int compareText(std::string_view a, std::string_view b) {
    // Rows of one record share its texts; however long, they are equal.
    if (a.data() == b.data() && a.size() == b.size()) return 0;
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int difference = int{foldUpper(a[i])} - int{foldUpper(b[i])};
        if (difference != 0) return difference;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::string numberText(double value, const LocaleSettings& locale) {
    if (!std::isfinite(value)) value = 0.0;
    std::string integerDigits = "0";
    std::string fractionDigits(Decimals, '0');
    if (value != 0.0) splitDigits(std::fabs(value), integerDigits, fractionDigits);

    std::string text;
    if (value < 0.0 && (integerDigits != "0" || fractionDigits != std::string(Decimals, '0'))) {
        text += '-';
    }
    text += groupThousands(integerDigits, locale.thousandSeparator);
    text += locale.decimalSeparator;
    text += fractionDigits;
    return text;
}

namespace {

std::string_view columnText(const TMessHead& m, int column) {
    switch (column) {
        case 0:
            return m.From;
        case 1:
            return m.ReplyTo;
        case 2:
            return m.Subject;
        default:
            return m.To;
    }
}

// Store texts compare as the characters they stand for in the store's page, under the
// user's locale ignoring case: bytes alone would order a double-byte page's texts by their
// lead bytes.
int compareStoreText(std::string_view a, std::string_view b) {
    // Rows of one record share its texts; however long, they are equal.
    if (a.data() == b.data() && a.size() == b.size()) return 0;
    const AnsiCodePage& page = AnsiCodePage::store();
    return localeCompareIgnoreCase(page.widen(a), page.widen(b));
}

// Reorders `list` by the keys, built once per record rather than once per comparison.
template <typename Key, typename Compare>
void sortByKeys(std::vector<TMessHead>& list, std::vector<Key> keys, bool ascending,
                Compare compare) {
    std::vector<std::size_t> order(list.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return ascending ? compare(keys[a], keys[b]) < 0 : compare(keys[b], keys[a]) < 0;
    });
    std::vector<TMessHead> sorted;
    sorted.reserve(list.size());
    for (std::size_t index : order) sorted.push_back(std::move(list[index]));
    list = std::move(sorted);
}

}  // namespace

int compareMessages(const TMessHead& a, const TMessHead& b, int column, bool ascending,
                    const LocaleSettings& locale) {
    if (column < 0 || column >= MessageColumnCount) return 0;
    const TMessHead& first = ascending ? a : b;
    const TMessHead& second = ascending ? b : a;
    if (column == static_cast<int>(MessageColumn::Received))
        return compareText(numberText(first.Received, locale), numberText(second.Received, locale));
    return compareStoreText(columnText(first, column), columnText(second, column));
}

void sortMessageList(std::vector<TMessHead>& list, int column, bool ascending,
                     const LocaleSettings& locale) {
    if (column < 0 || column >= MessageColumnCount) return;
    if (column == static_cast<int>(MessageColumn::Received)) {
        std::vector<std::string> keys;
        keys.reserve(list.size());
        for (const TMessHead& m : list) keys.push_back(numberText(m.Received, locale));
        sortByKeys(list, std::move(keys), ascending, compareText);
        return;
    }
    const AnsiCodePage& page = AnsiCodePage::store();
    std::vector<std::u16string> keys;
    keys.reserve(list.size());
    for (const TMessHead& m : list) keys.push_back(page.widen(columnText(m, column)));
    sortByKeys(list, std::move(keys), ascending,
               [](const std::u16string& a, const std::u16string& b) {
                   return localeCompareIgnoreCase(a, b);
               });
}

}  // namespace mq
