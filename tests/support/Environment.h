#pragma once

#include <optional>
#include <string>

namespace mq::test {

// The system the tests run on.
#ifdef _WIN32
inline constexpr bool onWindows = true;
#else
inline constexpr bool onWindows = false;
#endif

// Sets a variable of this process's environment, or removes it when `value` is empty. The
// C library sees it, and on Windows the system's own calls (ExpandEnvironmentStringsA) too.
void setEnvironment(const std::string& name, const std::optional<std::string>& value);

// Running under Wine: a Windows program on a Linux system, in a Wine prefix of its own.
bool underWine();

// A variable set for a scope and put back as it was at its end.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const std::optional<std::string>& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

// The zone the process takes its local time from, set for a scope from POSIX TZ rules
// ("CET-1CEST,M3.5.0,M10.5.0/3"). Windows takes the zone from the system's settings alone,
// so there `supported` is false and tests that need a zone of their own are skipped.
class ScopedTimeZone {
public:
    static constexpr bool supported = !onWindows;
    static constexpr const char* unsupportedReason =
        "Windows takes the time zone from its settings, not from TZ; the zone cannot be "
        "changed for one process";

    explicit ScopedTimeZone(const char* rules);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<std::string> previous_;
};

}  // namespace mq::test
