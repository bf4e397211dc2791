// mailquarry-sample-store DIR: a realistic store to try the program on.
#include "SampleStore.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2 || std::string(argv[1]).empty()) {
        std::cerr << "usage: mailquarry-sample-store DIR\n";
        return 1;
    }
    try {
        const std::filesystem::path dir = std::filesystem::absolute(argv[1]);
        const std::filesystem::path registry = mq::writeSampleStore(dir);
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
