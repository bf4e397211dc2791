#pragma once

#include <QIcon>

namespace mq {

// The message list's 16 by 16 images, shared by the rows and the header: 0 an upward
// triangle (sorted ascending), 1 a downward triangle (descending), 2 the message icon.
class ImageList1 {
public:
    static constexpr int SortedAscending = 0;
    static constexpr int SortedDescending = 1;
    static constexpr int Message = 2;
    static constexpr int Count = 3;

    // A null icon for an index outside the list.
    static QIcon icon(int index);
};

}  // namespace mq
