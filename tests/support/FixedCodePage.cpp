#include <cstdlib>

namespace {

// Linked into the core tests whose results depend on the ANSI page. The page follows the locale
// variables; fix them so results never depend on the machine (1252, as for any English locale).
const bool fixed = [] {
    setenv("LC_ALL", "en_US.UTF-8", 1);
    return true;
}();

}  // namespace
