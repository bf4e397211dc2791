#pragma once

#include <functional>

namespace mq {

// One listener to the main window's progress notifications. The window that attaches it
// owns it and detaches it before destroying it.
class TSubjectObserver {
public:
    bool Active = false;
    std::function<void(TSubjectObserver*)> OnUpdate;
};

}  // namespace mq
