#pragma once

#include "view/OperationHost.h"

#include <string>
#include <vector>

namespace mq {

class TSubjectObserver;

// The main window's side of a long operation: the progress state, the stop request, the
// observers the progress dialog attaches, and the operations the dialog can run.
class ProgressSubject : public OperationHost {
public:
    ProgressState& progress() override { return progress_; }
    bool cancelled() const override { return progress_.Cancelled; }

    // Appends the observer unless it is already attached.
    void AttachObserver(TSubjectObserver* observer);
    // Removes the observer; nothing happens when it is not attached.
    void DetachObserver(TSubjectObserver* observer);
    // Calls every active observer's OnUpdate in attachment order.
    void NotifyObservers() override;

    // The operations the progress dialog runs, chosen by PendingOperation (1 to 6).
    virtual void SaveMessagesToFiles() = 0;
    virtual void SaveMessagesToSingleFile(const std::string& path) = 0;
    virtual void ExtractBodyAddresses() = 0;
    virtual void ExportAllFolders() = 0;
    virtual void RecoverMessages() = 0;
    virtual void FindMessages() = 0;

protected:
    std::vector<TSubjectObserver*> ObserverList;
    ProgressState progress_;
};

}  // namespace mq
