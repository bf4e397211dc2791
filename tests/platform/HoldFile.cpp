// mailquarry-test-hold-file FILE: holds a store file open as another program would, so that
// tests can see what the reader does while it is held. Says "held" once the file is open and
// lets go when its standard input ends.
#include "platform/StoreFile.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    try {
        const auto held = mq::StoreFile::open(argv[1]);
        std::puts("held");
        std::fflush(stdout);
        while (std::getchar() != EOF) {
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
