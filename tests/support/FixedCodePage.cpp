#include "support/Environment.h"

namespace {

// Linked into the core tests whose results depend on the ANSI page. The page follows the locale
// variables; fix them so results never depend on the machine (1252, as for any English locale).
// Windows takes the page from its settings, which a process cannot change: there the tests
// expect a Western system (the Windows test script starts Wine in an English locale).
const bool fixed = [] {
    mq::test::setEnvironment("LC_ALL", "en_US.UTF-8");
    return true;
}();

}  // namespace
