#include "support/Environment.h"

#include <cstdlib>
#include <ctime>

#ifdef _WIN32
#include <windows.h>
#endif

namespace mq::test {

void setEnvironment(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
    // The C library's copy cannot hold an empty value (one removes the variable); the
    // system's can, and is what ExpandEnvironmentStringsA reads, so it is set last.
    _putenv_s(name.c_str(), value ? value->c_str() : "");
    SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
#else
    if (value) {
        setenv(name.c_str(), value->c_str(), 1);
    } else {
        unsetenv(name.c_str());
    }
#endif
}

bool underWine() {
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}

ScopedEnvironment::ScopedEnvironment(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) previous_ = old;
    setEnvironment(name_, value);
}

ScopedEnvironment::~ScopedEnvironment() {
    setEnvironment(name_, previous_);
}

ScopedTimeZone::ScopedTimeZone(const char* rules) {
    if (const char* old = std::getenv("TZ")) previous_ = old;
    setEnvironment("TZ", std::string(rules));
#ifndef _WIN32
    tzset();
#endif
}

ScopedTimeZone::~ScopedTimeZone() {
    setEnvironment("TZ", previous_);
#ifndef _WIN32
    tzset();
#endif
}

}  // namespace mq::test
