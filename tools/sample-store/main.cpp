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
        mq::writeSampleStore(dir);
        std::cout << "Store written to " << (dir / "store").string() << "\n"
                  << "Use it with XDG_CONFIG_HOME=" << (dir / "config").string() << "\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "mailquarry-sample-store: " << e.what() << '\n';
        return 1;
    }
}
