#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace mq {

// What each CheckEmail error code means, indexed by code 0 to 12.
extern const std::array<const char*, 13> EmailErrorText;

// Whether a byte is one of the 66 address characters: "-", ".", digits, "@", ASCII letters
// and "_".
bool isEmailChar(unsigned char c);
// The address characters, in byte order.
extern const std::string_view EmailChars;

// Decides whether one string is an acceptable e-mail address. Never throws.
class TEmailChk {
public:
    // On rejection sets errorCode (and errorPos, counting from 1, for codes 5, 10 and 11);
    // on success leaves both untouched.
    bool CheckEmail(std::string_view s, std::int32_t& errorCode, std::int32_t& errorPos) const;
    // Leading and trailing full stops removed, then blanks and control characters trimmed:
    // a part of `s`.
    static std::string_view TrimDots(std::string_view s);

    const std::string& Filter() const { return filter_; }
    void setFilter(const std::string& value) { filter_ = value; }
    std::int32_t MaxDomainPortion() const { return maxDomainPortion_; }
    void setMaxDomainPortion(std::int32_t value);  // kept only within 3..256
    std::int32_t MaxNumbersInUserName() const { return maxNumbersInUserName_; }
    void setMaxNumbersInUserName(std::int32_t value);  // kept only below 320
    std::int32_t MaxUsernamePortion() const { return maxUsernamePortion_; }
    void setMaxUsernamePortion(std::int32_t value);  // kept only within 1..64

private:
    bool check(std::string_view s, std::int32_t& errorCode, std::int32_t& errorPos) const;

    std::string filter_;
    std::int32_t maxDomainPortion_ = 256;
    std::int32_t maxNumbersInUserName_ = 319;
    std::int32_t maxUsernamePortion_ = 64;
};

}  // namespace mq
