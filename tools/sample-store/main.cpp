// mailquarry-sample-store DIR: a realistic store to try the program on.
#include "SampleStore.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

namespace {

constexpr const char* Usage =
    "usage: mailquarry-sample-store DIR\n"
    "\n"
    "Writes a sample mail store into DIR/store and a registry file that names it, to try\n"
    "Mailquarry on (mailquarry DIR/store opens it too).\n";

}  // namespace

int main(int argc, char** argv) {
    const std::string argument = argc > 1 ? argv[1] : "";
    if (argc == 2 && (argument == "--help" || argument == "-h")) {
        std::cout << Usage;
        return 0;
    }
    // A name beginning with "-" is an option mistyped far more often than a folder.
    if (argc != 2 || argument.empty() || argument.starts_with("-")) {
        std::cerr << "mailquarry-sample-store: "
                  << (argc != 2 || argument.empty() ? "expected one DIR"
                                                    : "unknown option " + argument)
                  << '\n'
                  << Usage;
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
