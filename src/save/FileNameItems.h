#pragma once

#include <array>
#include <string>

namespace mq {

// One file-name component slot: its name ("Subject", "From", ...) and flag ("1" included).
struct FileNameItem {
    std::string name;
    std::string flag;
};
using FileNameItems = std::array<FileNameItem, 5>;

// Restores the slots from the stored comma-separated form; slots without an entry keep
// their contents.
void parseFileNameFormat(const std::string& stored, FileNameItems& items);
// The stored form of the five slots.
std::string formatFileNameFormat(const FileNameItems& items);

}  // namespace mq
