#pragma once

#include "store/MessageReadObserver.h"
#include "view/ProgressState.h"

#include <string>

namespace mq {

// What a long operation in the core needs from the main window: the shared progress state,
// the observer notification, and the error box (CenteredMessageDlg with caption "Error"),
// whose text is UTF-8: it names the user's files as the file system does. Tests implement
// it with a recorder.
class OperationHost : public MessageReadObserver {
public:
    virtual ProgressState& progress() = 0;
    virtual void NotifyObservers() = 0;
    virtual void showError(const std::string& text) = 0;

    void blockRead() override { NotifyObservers(); }
};

}  // namespace mq
