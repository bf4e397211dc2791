#include "SaveTestStore.h"

#include "support/StoreBuilder.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace mq::test {

void RecordingHost::NotifyObservers() {
    notifications.push_back(state);
    if (onNotify) onNotify(*this);
}

namespace {

std::filesystem::path freshFolder() {
    static std::atomic<int> counter{0};
    auto path = std::filesystem::temp_directory_path() /
                ("mq-save-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    return path;
}

}  // namespace

SaveTestStore::SaveTestStore(const std::vector<DbxMessage>& messages)
    : root(freshFolder()), outDir(root / "out") {
    std::filesystem::create_directories(outDir);
    StoreBuilder builder;
    builder.addFolder("Inbox", "Inbox.dbx", messages);
    builder.write(root / "store");
    const auto registryPath = root / "user.reg";
    writeStoreRegistry(registryPath, (root / "store").string());
    registry = std::make_unique<RegistryFile>(registryPath);
    reader = std::make_unique<StoreReader>(*registry);
    reader->Read_OE_File("Inbox.dbx", &infos);
    heads = buildMessageList(infos);

    pref.Directory = outDir.string();
    pref.Default_Extension = ".eml";
    pref.Default_Filename = "No Subject";
    pref.EncloseItems = true;
    pref.FileNameDateFormat = "yyyymmdd";
    pref.FileNameFormat = "From0,To0,Subject1,Date0,Reply_To_Address0";
    parseFileNameFormat(pref.FileNameFormat, items);
}

SaveTestStore::~SaveTestStore() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

SelectedMessages SaveTestStore::all() {
    SelectedMessages selection{*reader, "Inbox.dbx", infos, {}};
    for (const TMessHead& head : heads) selection.rows.push_back(&head);
    return selection;
}

std::filesystem::path SaveTestStore::storeFile() const {
    return root / "store" / "Inbox.dbx";
}

FileLock::FileLock(const std::filesystem::path& path) : fd_(::open(path.c_str(), O_RDONLY)) {
    if (fd_ < 0 || ::flock(fd_, LOCK_EX | LOCK_NB) != 0)
        throw std::runtime_error("cannot lock " + path.string());
}

FileLock::~FileLock() {
    ::close(fd_);
}

FileSizeLimit::FileSizeLimit(unsigned long bytes) {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    previousSoft_ = limit.rlim_cur;
    limit.rlim_cur = bytes;
    // Past the limit the kernel sends SIGXFSZ; ignored, the write fails with EFBIG instead.
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
        throw std::runtime_error("cannot limit the file size");
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = previousSoft_;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler_);
}

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

DbxMessage message(std::string subject, std::string text) {
    DbxMessage m;
    m.subject = std::move(subject);
    m.from = "Anne";
    m.text = std::move(text);
    return m;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace mq::test
