#pragma once

#include <optional>
#include <string>

namespace mq::test {

#ifdef _WIN32
// The mail client's global "Store Root" in the real registry, set for a scope and put back
// as it was at its end. Tests that need it run only under Wine (underWine()), whose registry
// belongs to a prefix made for the test run.
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
