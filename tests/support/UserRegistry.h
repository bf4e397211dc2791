#pragma once

#include <optional>
#include <string>

namespace mq::test {

// Running under Wine, whose registry belongs to a prefix made for the test run. Tests that
// must change the real registry of the user run only there.
bool underWine();

#ifdef _WIN32
// The mail client's global "Store Root" in the real registry, set for a scope and put back
// as it was at its end.
class ScopedStoreRoot {
public:
    explicit ScopedStoreRoot(const std::string& storeRoot);
    ~ScopedStoreRoot();
    ScopedStoreRoot(const ScopedStoreRoot&) = delete;
    ScopedStoreRoot& operator=(const ScopedStoreRoot&) = delete;

private:
    std::optional<std::string> previous_;
};
#endif

}  // namespace mq::test
