#include "support/FullDisk.h"

#include <stdexcept>
#include <string>

#ifdef __linux__
#include <sched.h>
#include <sys/mount.h>
#endif
#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

namespace mq::test {

#ifdef _WIN32

FileSizeLimit::FileSizeLimit(std::uint64_t) {
    throw std::logic_error(unsupportedReason);
}

FileSizeLimit::~FileSizeLimit() = default;

#else

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    previousSoft_ = limit.rlim_cur;
    limit.rlim_cur = bytes;
    // Past the limit the kernel sends SIGXFSZ; ignored, the write fails with EFBIG instead.
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        std::signal(SIGXFSZ, previousHandler_);
        throw std::runtime_error("cannot limit the file size");
    }
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = previousSoft_;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler_);
}

#endif

#ifdef __linux__

SmallFileSystem::SmallFileSystem(const std::filesystem::path& folder, std::size_t bytes,
                                 bool readOnly)
    : folder_(folder) {
    if (::unshare(CLONE_NEWNS) != 0) return;
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return;
    const std::string options = "size=" + std::to_string(bytes);
    mounted_ =
        ::mount("tmpfs", folder.c_str(), "tmpfs", readOnly ? MS_RDONLY : 0, options.c_str()) == 0;
}

SmallFileSystem::~SmallFileSystem() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
}

const char* SmallFileSystem::whyNotMounted() const {
    return "this user may not mount a file system";
}

#else

SmallFileSystem::SmallFileSystem(const std::filesystem::path& folder, std::size_t, bool)
    : folder_(folder) {}

SmallFileSystem::~SmallFileSystem() = default;

const char* SmallFileSystem::whyNotMounted() const {
    return "only Linux mounts a file system for one process";
}

#endif

}  // namespace mq::test
