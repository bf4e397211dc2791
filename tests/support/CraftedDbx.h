#pragma once

#include "support/DbxWriter.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace mq {

// Files made to cost a reader far more than their size: a few bytes of structure that a
// walk taking every reference at its word multiplies. Each is a valid .dbx as far as the
// header goes (item count 1, a root node) and exactly `fileSize` bytes long.
enum class CraftedShape {
    // One record whose text entries all point into one large area without a NUL, and one
    // node whose entries, filling the rest of the file, all point at that record.
    SharedRecord,
    // Index nodes back to back, each claiming the largest entry count, so that each one's
    // entry table runs over every node after it; their headers pass as records and as
    // links to themselves. Each node also holds one entry of its own pointing at a record.
    PackedNodes,
    // One record with a data area as large as a record may be (1 MiB), and one node whose
    // entries all point at it.
    LargeRecord,
    // Many distinct records a few bytes apart, their data areas all running to the end of
    // the file, their texts all starting at the same area without a NUL.
    OverlappingRecords,
};

inline constexpr CraftedShape CraftedShapes[] = {
    CraftedShape::SharedRecord, CraftedShape::PackedNodes, CraftedShape::LargeRecord,
    CraftedShape::OverlappingRecords};

std::string_view nameOf(CraftedShape shape);

// At least 64 KiB; message or folder records as `kind` says.
std::vector<std::byte> craftDbx(CraftedShape shape, std::size_t fileSize, DbxWriter::Kind kind);

}  // namespace mq
