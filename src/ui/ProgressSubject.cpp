#include "ui/ProgressSubject.h"

#include "ui/TSubjectObserver.h"

#include <algorithm>

namespace mq {

void ProgressSubject::AttachObserver(TSubjectObserver* observer) {
    if (std::find(ObserverList.begin(), ObserverList.end(), observer) == ObserverList.end())
        ObserverList.push_back(observer);
}

void ProgressSubject::DetachObserver(TSubjectObserver* observer) {
    const auto it = std::find(ObserverList.begin(), ObserverList.end(), observer);
    if (it != ObserverList.end()) ObserverList.erase(it);
}

void ProgressSubject::NotifyObservers() {
    // The count is taken once; an update that detaches observers shortens the list, so the
    // index is checked against the current size on every step.
    const std::size_t count = ObserverList.size();
    for (std::size_t i = 0; i < count && i < ObserverList.size(); ++i) {
        TSubjectObserver* observer = ObserverList[i];
        if (observer->Active && observer->OnUpdate) observer->OnUpdate(observer);
    }
}

}  // namespace mq
