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
    // The round is fixed when it starts: an observer attached during it waits for the next
    // one, and one detached during it (and perhaps destroyed) is not called any more.
    const std::vector<TSubjectObserver*> round = ObserverList;
    for (TSubjectObserver* observer : round) {
        if (std::find(ObserverList.begin(), ObserverList.end(), observer) == ObserverList.end())
            continue;
        if (observer->Active && observer->OnUpdate) observer->OnUpdate(observer);
    }
}

}  // namespace mq
