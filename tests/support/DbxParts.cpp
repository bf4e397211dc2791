#include "support/DbxParts.h"

namespace mq {

namespace {

std::vector<std::byte> littleEndian(std::uint64_t value, std::size_t width) {
    std::vector<std::byte> out(width);
    for (std::size_t i = 0; i < width; ++i) {
        out[i] = static_cast<std::byte>((value >> (8 * i)) & 0xFF);
    }
    return out;
}

}  // namespace

DbxRecordEntry DbxRecordEntry::direct(std::uint8_t number, std::uint32_t value) {
    DbxRecordEntry e;
    e.number = number;
    e.value = value;
    return e;
}

DbxRecordEntry DbxRecordEntry::text(std::uint8_t number, std::string_view text) {
    DbxRecordEntry e;
    e.number = number;
    e.data.reserve(text.size() + 1);
    for (const char ch : text) {
        e.data.push_back(static_cast<std::byte>(ch));
    }
    e.data.push_back(std::byte{0});
    return e;
}

DbxRecordEntry DbxRecordEntry::bytes(std::uint8_t number, std::vector<std::byte> bytes) {
    DbxRecordEntry e;
    e.number = number;
    e.data = std::move(bytes);
    return e;
}

DbxRecordEntry DbxRecordEntry::uint32(std::uint8_t number, std::uint32_t value) {
    return bytes(number, littleEndian(value, 4));
}

DbxRecordEntry DbxRecordEntry::filetime(std::uint8_t number, std::uint64_t filetime) {
    return bytes(number, littleEndian(filetime, 8));
}

DbxRecordEntry DbxRecordEntry::rawValue(std::uint8_t number, std::uint32_t value) {
    DbxRecordEntry e;
    e.number = number;
    e.value = value;
    e.raw = true;
    return e;
}

DbxRecordEntry DbxRecordEntry::offsetOf(std::uint8_t number, DbxRef target) {
    DbxRecordEntry e;
    e.number = number;
    e.position = target;
    return e;
}

}  // namespace mq
