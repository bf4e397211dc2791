// What the reader spends on files crafted to multiply their own structure (the shapes of
// tests/support/CraftedDbx.h), each as a message folder and as a folder list, at 1, 10 and
// 100 MB. Every read runs in a fresh process of its own, so its peak resident memory is the
// reader's alone. Targets: under 0.1 s per MB, peak memory under 4 x the file + 20 MB.
//
//     ReadCostBench                          every shape and size
//     ReadCostBench --read KIND FILE         one read (what the runs above start)
//
// MQ_BENCH_SIZES: sizes in MB, comma-separated, fractions allowed (default 1,10,100).
// MQ_BENCH_TIMEOUT: seconds a read may take before it is stopped (default 120). MQ_BENCH_MEMORY_MB:
// address space a read may use before it fails for lack of memory (default 4096).
#include "platform/StoreFile.h"
#include "store/StoreReader.h"
#include "support/CraftedDbx.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int OutOfMemory = 3;

std::size_t fromEnvironment(const char* name, std::size_t fallback) {
    const char* value = std::getenv(name);
    return value && *value ? static_cast<std::size_t>(std::strtoull(value, nullptr, 10)) : fallback;
}

std::vector<double> sizes() {
    const char* value = std::getenv("MQ_BENCH_SIZES");
    std::istringstream in(value && *value ? value : "1,10,100");
    std::vector<double> out;
    for (std::string part; std::getline(in, part, ',');) out.push_back(std::stod(part));
    return out;
}

int readOne(const std::string& kind, const std::string& path) {
    try {
        const std::unique_ptr<mq::StoreFile> file = mq::StoreFile::open(path);
        std::size_t rows = 0;
        if (kind == "folders") {
            mq::FolderList list;
            mq::dbx::readFolderRecords(*file, list);
            rows = list.size();
        } else {
            mq::MessageInfoList list;
            mq::dbx::readMessageRecords(*file, list);
            rows = list.size();
        }
        std::printf("%zu\n", rows);
        return 0;
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    }
}

struct Run {
    double seconds = 0;
    double peakMegabytes = 0;
    std::string outcome;  // empty when the read ended normally
};

Run runChild(const std::string& kind, const std::filesystem::path& file) {
    std::fflush(stdout);  // or the child would print what is buffered again
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const rlim_t memory = fromEnvironment("MQ_BENCH_MEMORY_MB", 4096) << 20;
        const rlimit limit{memory, memory};
        ::setrlimit(RLIMIT_AS, &limit);
        ::alarm(static_cast<unsigned>(fromEnvironment("MQ_BENCH_TIMEOUT", 120)));
        // The rows go to /dev/null: only time and memory are reported.
        std::freopen("/dev/null", "w", stdout);
        ::execl("/proc/self/exe", "ReadCostBench", "--read", kind.c_str(), file.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    Run run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
    if (WIFSIGNALED(status))
        run.outcome = WTERMSIG(status) == SIGALRM ? "stopped: took too long" : "crashed";
    else if (WEXITSTATUS(status) == OutOfMemory)
        run.outcome = "ran out of memory";
    else if (WEXITSTATUS(status) != 0)
        run.outcome = "failed";
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--read") return readOne(argv[2], argv[3]);

    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("mailquarry-readcost-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::printf("%-19s %-8s %6s %9s %8s %10s %9s\n", "shape", "kind", "MB", "seconds", "s/MB",
                "peak MB", "peak/MB");
    for (const mq::CraftedShape shape : mq::CraftedShapes) {
        for (const bool folders : {false, true}) {
            const std::string kind = folders ? "folders" : "messages";
            for (const double megabytes : sizes()) {
                const std::filesystem::path file = dir / "crafted.dbx";
                {
                    const std::vector<std::byte> bytes = mq::craftDbx(
                        shape, static_cast<std::size_t>(megabytes * (1 << 20)),
                        folders ? mq::DbxWriter::Kind::Folders : mq::DbxWriter::Kind::Messages);
                    std::ofstream(file, std::ios::binary)
                        .write(reinterpret_cast<const char*>(bytes.data()),
                               static_cast<std::streamsize>(bytes.size()));
                }
                const Run run = runChild(kind, file);
                std::printf("%-19s %-8s %6g %9.3f %8.4f %10.1f %9.2f  %s\n",
                            std::string(mq::nameOf(shape)).c_str(), kind.c_str(), megabytes,
                            run.seconds, run.seconds / megabytes, run.peakMegabytes,
                            run.peakMegabytes / megabytes, run.outcome.c_str());
                std::fflush(stdout);
            }
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return 0;
}
