// mailquarry-sample-store DIR: a realistic store to try the program on.
#include "SampleStore.h"

#include "platform/AnsiCodePage.h"

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    // --code-page N: the store of a machine with that ANSI page (1252 without it).
    int codePage = 1252;
    if (argc == 4 && std::string(argv[1]) == "--code-page") {
        codePage = std::atoi(argv[2]);
        argv += 2;
        argc -= 2;
    }
    if (argc != 2 || std::string(argv[1]).empty() || !mq::AnsiCodePage::isWindowsPage(codePage)) {
        std::cerr << "usage: mailquarry-sample-store [--code-page N] DIR\n";
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
