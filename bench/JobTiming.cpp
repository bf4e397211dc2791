#include "JobTiming.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace mq::bench {

namespace {

using Clock = std::chrono::steady_clock;

double seconds(const timeval& t) {
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

rusage ownUsage() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage;
}

}  // namespace

Timing timed(const std::function<void()>& job) {
    ::sync();
    const rusage before = ownUsage();
    const Clock::time_point start = Clock::now();
    job();
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const rusage after = ownUsage();
    const double user = seconds(after.ru_utime) - seconds(before.ru_utime);
    return {wall, user + seconds(after.ru_stime) - seconds(before.ru_stime), user};
}

Timing runProgram(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::sync();
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return {};
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    return {wall, seconds(usage.ru_utime) + seconds(usage.ru_stime), seconds(usage.ru_utime)};
}

Timing runUndbx(const std::filesystem::path& file, const std::filesystem::path& out, bool recover) {
    std::filesystem::create_directories(out);
    std::vector<std::string> args{"undbx", "-v", "0"};
    if (recover) args.push_back("-r");
    args.insert(args.end(), {file.string(), out.string()});
    return runProgram(args);
}

Timing mean(const Timing& a, const Timing& b) {
    if (!a.valid() || !b.valid()) return {};
    return {(a.wall + b.wall) / 2, (a.processor + b.processor) / 2, (a.user + b.user) / 2};
}

void printTiming(const char* what, const Timing& t, const Timing& undbx, const char* target) {
    std::printf("%-22s wall %7.3f s  processor %7.3f s  user %7.3f s", what, t.wall, t.processor,
                t.user);
    if (undbx.valid() && &t != &undbx)
        std::printf("   ratio to undbx: wall %.3f, processor %.3f, user %.3f (target at most %s)",
                    t.wall / undbx.wall, t.processor / undbx.processor, t.user / undbx.user,
                    target);
    std::printf("\n");
}

std::size_t filesIn(const std::filesystem::path& folder) {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        count += entry.is_regular_file() ? 1 : 0;
    return count;
}

long peakRssKilobytes() {
    return ownUsage().ru_maxrss;
}

}  // namespace mq::bench
