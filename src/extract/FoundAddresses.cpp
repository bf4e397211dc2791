#include "extract/FoundAddresses.h"

#include "platform/LocaleCompare.h"

#include <algorithm>

namespace mq {

bool FoundAddresses::add(const std::string& address) {
    if (!met_.insert(address).second) return false;
    const auto place = std::lower_bound(items_.begin(), items_.end(), address,
                                        [](const std::string& entry, const std::string& value) {
                                            return localeCompareIgnoreCase(entry, value) < 0;
                                        });
    if (place != items_.end() && localeCompareIgnoreCase(*place, address) == 0) return false;
    items_.insert(place, address);
    return true;
}

}  // namespace mq
