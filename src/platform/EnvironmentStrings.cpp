#include "platform/EnvironmentStrings.h"

#ifdef _WIN32
#include <windows.h>

#include <vector>
#else
#include "platform/AnsiCodePage.h"

#include <cstdlib>
#include <cstring>

extern char** environ;
#endif

namespace mq {

#ifdef _WIN32

std::optional<std::string> expandEnvironmentStrings(std::string_view text, std::size_t capacity) {
    const std::string source(text);
    std::vector<char> buffer(capacity + 1);
    const DWORD needed =
        ExpandEnvironmentStringsA(source.c_str(), buffer.data(), static_cast<DWORD>(capacity));
    if (needed == 0 || needed > capacity) return std::nullopt;
    return std::string(buffer.data());
}

std::string expandHomeFolder(std::string_view text) {
    return std::string(text);
}

#else

namespace {

// The variable's value in the ANSI code page. Names compare ignoring ASCII letter case as
// they do on Windows; an exact match is preferred.
std::optional<std::string> variable(std::string_view ansiName) {
    const AnsiCodePage& page = AnsiCodePage::system();
    const std::string name = page.toUtf8(ansiName);
    if (const char* value = std::getenv(name.c_str())) return page.fromUtf8(value);
    const auto lower = [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    };
    for (char** entry = environ; entry && *entry; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        if (!equals || static_cast<std::size_t>(equals - *entry) != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; same && i < name.size(); ++i)
            same = lower((*entry)[i]) == lower(name[i]);
        if (same) return page.fromUtf8(equals + 1);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> expandEnvironmentStrings(std::string_view text, std::size_t capacity) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t open = text.find('%', i);
        const std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
        if (close == std::string_view::npos) {
            out += text.substr(i);
            break;
        }
        out += text.substr(i, open - i);
        const std::string_view name = text.substr(open + 1, close - open - 1);
        const std::optional<std::string> value = name.empty() ? std::nullopt : variable(name);
        out += value ? *value : text.substr(open, close - open + 1);
        i = close + 1;
    }
    if (out.size() + 1 > capacity) return std::nullopt;  // with its terminating NUL
    return out;
}

std::string expandHomeFolder(std::string_view text) {
    const char* home = std::getenv("HOME");
    if (!text.starts_with("~/") || home == nullptr || *home == '\0') return std::string(text);
    std::string folder = AnsiCodePage::system().fromUtf8(home);
    if (folder.ends_with('/')) folder.pop_back();
    return folder + std::string(text.substr(1));
}

#endif

}  // namespace mq
