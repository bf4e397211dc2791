// mailquarry-sample-store DIR: a realistic store to try the program on.
#include "SampleStore.h"

#include "platform/AnsiCodePage.h"

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

namespace {

constexpr const char* Usage =
    "usage: mailquarry-sample-store [--code-page N] DIR\n"
    "\n"
    "Writes a sample mail store into DIR/store and a registry file that names it, to try\n"
    "Mailquarry on (mailquarry DIR/store opens it too). With --code-page N its texts are\n"
    "written as a machine with that ANSI page would write them (1252 without it).\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::cout << Usage;
        return 0;
    }
    // --code-page N: the store of a machine with that ANSI page (1252 without it).
    int codePage = 1252;
    if (argc == 4 && std::string(argv[1]) == "--code-page") {
        codePage = std::atoi(argv[2]);
        argv += 2;
        argc -= 2;
    }
    const std::string argument = argc > 1 ? argv[1] : "";
    // A name beginning with "-" is an option mistyped far more often than a folder.
    if (argc != 2 || argument.empty() || argument.starts_with("-") ||
        !mq::AnsiCodePage::isWindowsPage(codePage)) {
        std::cerr << "mailquarry-sample-store: "
                  << (argc != 2 || argument.empty() ? std::string("expected one DIR")
                      : argument.starts_with("-")   ? "unknown option " + argument
                                                    : "not a Windows ANSI code page: " +
                                                        std::to_string(codePage))
                  << '\n'
                  << Usage;
        return 1;
    }
    try {
        const std::filesystem::path dir = std::filesystem::absolute(argv[1]);
        const std::filesystem::path registry = mq::writeSampleStore(dir, codePage);
        std::cout << "Store written to " << (dir / "store").string() << "\n";
#ifdef _WIN32
        std::cout << "To open it, import its Store Root into your registry (this replaces a\n"
                  << "Store Root under HKEY_CURRENT_USER\\Software\\Microsoft\\Outlook Express):\n"
                  << "    reg import \"" << registry.string() << "\"\n";
#else
        std::cout << "Use it with XDG_CONFIG_HOME=" << (dir / "config").string() << "\n";
#endif
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "mailquarry-sample-store: " << e.what() << '\n';
        return 1;
    }
}
