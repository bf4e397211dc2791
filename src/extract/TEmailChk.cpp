#include "extract/TEmailChk.h"

#include "platform/AsciiCase.h"

#include <exception>

namespace mq {

const std::array<const char*, 13> EmailErrorText = {
    "Unknown error occured!",  "Missing @ symbol!",    "Data to small!",
    "User name to long!",      "Domain name to long!", "Invalid character!",
    "Missing user name!",      "Missing domain name!", "Missing domain portion (.com,.net,etc)",
    "Invalid general domain!", "To many @ symbols!",   "Too many digits",
    "Not allowed in filter",
};

const std::string_view EmailChars =
    "-.0123456789@ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz";

namespace {

constexpr std::array<bool, 256> makeEmailCharTable() {
    std::array<bool, 256> table{};
    for (char c :
         std::string_view("-.0123456789@ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz")) {
        table[static_cast<unsigned char>(c)] = true;
    }
    return table;
}
constexpr std::array<bool, 256> EmailCharTable = makeEmailCharTable();

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::int32_t pos1(std::size_t zeroBased) {
    return static_cast<std::int32_t>(zeroBased + 1);
}

}  // namespace

bool isEmailChar(unsigned char c) {
    return EmailCharTable[c];
}

void TEmailChk::setMaxDomainPortion(std::int32_t value) {
    if (value >= 3 && value <= 256) maxDomainPortion_ = value;
}

void TEmailChk::setMaxNumbersInUserName(std::int32_t value) {
    if (value < 320) maxNumbersInUserName_ = value;
}

void TEmailChk::setMaxUsernamePortion(std::int32_t value) {
    if (value >= 1 && value <= 64) maxUsernamePortion_ = value;
}

std::string_view TEmailChk::TrimDots(std::string_view s) {
    // Dots at either end count as blanks, so the final trim also takes any blanks that
    // follow the leading run or precede the trailing one.
    std::size_t begin = 0;
    while (begin < s.size() && s[begin] == '.') ++begin;
    std::size_t end = s.size();
    while (end > begin && s[end - 1] == '.') --end;
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (begin < end && blank(s[begin])) ++begin;
    while (end > begin && blank(s[end - 1])) --end;
    return s.substr(begin, end - begin);
}

bool TEmailChk::CheckEmail(std::string_view s, std::int32_t& errorCode,
                           std::int32_t& errorPos) const {
    try {
        return check(s, errorCode, errorPos);
    } catch (const std::exception&) {
        errorCode = -1;
        return false;
    }
}

bool TEmailChk::check(std::string_view s, std::int32_t& errorCode, std::int32_t& errorPos) const {
    auto fail = [&errorCode](std::int32_t code) {
        errorCode = code;
        return false;
    };
    auto failAt = [&](std::int32_t code, std::int32_t position) {
        errorPos = position;
        return fail(code);
    };

    if (s.empty()) return fail(2);
    const std::size_t at = s.find('@');
    if (at == std::string_view::npos) return fail(1);
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (!EmailCharTable[static_cast<unsigned char>(s[i])]) return failAt(5, pos1(i));
    }

    const std::string_view user = s.substr(0, at);
    const std::string_view domain = s.substr(at + 1);
    const std::int32_t atPos = pos1(at);
    if (user.empty()) return fail(6);
    if (domain.empty()) return fail(7);
    if (domain.size() > static_cast<std::size_t>(maxDomainPortion_)) return fail(4);
    if (user.size() > static_cast<std::size_t>(maxUsernamePortion_)) return fail(3);

    if (user.front() == '.') return failAt(5, 1);
    if (user.back() == '.') return failAt(5, pos1(user.size() - 1));
    if (const std::size_t pair = user.find(".."); pair != std::string_view::npos) {
        return failAt(5, pos1(pair));
    }
    std::int32_t digits = 0;
    for (char c : user) digits += isDigit(c) ? 1 : 0;
    if (digits > maxNumbersInUserName_) return failAt(11, 1);

    if (domain.front() == '.') return failAt(5, atPos + 1);
    if (domain.back() == '.') return failAt(5, pos1(s.size() - 1));

    // Domain indices count from 1, as the positions reported are At + index.
    std::int32_t dots = 0;
    std::size_t lastDot = 0;
    std::size_t labelStart = 1;
    for (std::size_t index = 1; index <= domain.size(); ++index) {
        const char c = domain[index - 1];
        if (c == '.') {
            if (index < domain.size() && domain[index] == '.') {
                return failAt(5, atPos + static_cast<std::int32_t>(index));
            }
            ++dots;
            lastDot = index;
            if (domain[labelStart - 1] == '-') {
                return failAt(5, atPos + static_cast<std::int32_t>(labelStart));
            }
            if (domain[index - 2] == '-') {
                return failAt(5, atPos + static_cast<std::int32_t>(index) - 1);
            }
            labelStart = index + 1;
        } else if (c == '@') {
            return failAt(10, atPos + static_cast<std::int32_t>(index));
        }
    }
    if (dots == 0) return fail(8);
    if (domain.size() - lastDot + 1 < 3) return fail(9);

    if (!filter_.empty() && asciiLowered(s).find(asciiLowered(filter_)) == std::string::npos) {
        return fail(12);
    }
    return true;
}

}  // namespace mq
