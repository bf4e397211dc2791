#include "ui/ProgressSubject.h"

#include "ui/TSubjectObserver.h"

#include <algorithm>
#include <array>
#include <span>

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
    // one, and one detached during it (and perhaps destroyed) is not called any more. This
    // runs for every block read, so the usual few observers are copied without allocating.
    constexpr std::size_t FewObservers = 4;
    std::array<TSubjectObserver*, FewObservers> few{};
    std::vector<TSubjectObserver*> many;
    std::span<TSubjectObserver* const> round;
    if (ObserverList.size() <= FewObservers) {
        std::copy(ObserverList.begin(), ObserverList.end(), few.begin());
        round = std::span(few.data(), ObserverList.size());
    } else {
        many = ObserverList;
        round = many;
    }
    for (TSubjectObserver* observer : round) {
        if (std::find(ObserverList.begin(), ObserverList.end(), observer) == ObserverList.end())
            continue;
        if (observer->Active && observer->OnUpdate) observer->OnUpdate(observer);
    }
}

}  // namespace mq
