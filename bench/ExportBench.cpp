// Whole job: exporting the generated folder of 20,000 messages of about 10 KB (the save
// benchmark's) to an mbox file and to a folder of .eml files (default naming, file dates on)
// through the core export, each timed against Debian's undbx extracting the same folder as a
// program of its own. Run it with TMPDIR on a RAM-backed file system (tmpfs, /dev/shm): the
// comparison is of processor time, which a disk's waits would only blur.
//
//   TMPDIR=/dev/shm ExportBench [messages] [bytes per message]      (KEEP=1 keeps the files)

#include "QuietHost.h"
#include "WholeJob.h"
#include "export/StoreExport.h"
#include "platform/RegistryFile.h"
#include "support/GeneratedFolder.h"
#include "support/StoreBuilder.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace mq::bench;

int main(int argc, char* argv[]) {
    const std::size_t count = argc > 1 ? std::stoul(argv[1]) : 20000;
    const std::size_t size = argc > 2 ? std::stoul(argv[2]) : 10 * 1024;

    const fs::path dir =
        fs::temp_directory_path() / ("mq-export-bench-" + std::to_string(getpid()));
    fs::remove_all(dir);
    const mq::GeneratedStore store = mq::writeGeneratedStore(dir, count, size);
    const fs::path dbx = store.storeDir / store.folderFile;
    std::printf("folder: %zu messages, %.1f MB, in %s\n", count, double(fs::file_size(dbx)) / 1e6,
                dir.c_str());

    const Timing undbxBefore = runUndbx(dbx, dir / "undbx");
    const std::size_t undbxFiles = undbxBefore.valid() ? filesIn(dir / "undbx") : 0;

    mq::RegistryFile registry(mq::registryFileIn(store.configHome));
    mq::TPref pref;
    pref.LoadFromRegistry(registry);
    pref.CreationDate = true;
    mq::FileNameItems items;
    mq::parseFileNameFormat(pref.FileNameFormat, items);
    mq::StoreReader reader(store.storeDir.string());
    mq::FolderList folders;
    reader.Read_OE_File("folders.dbx", &folders);

    const auto exportAs = [&](mq::ExportFormat format, const fs::path& target,
                              mq::ExportSummary& summary) {
        return timed([&] {
            QuietHost host;
            const mq::ExportPlan plan = mq::planExport(
                reader, folders, mq::foldersWithFiles(folders), target.string(), format);
            summary = mq::ExportAllFolders(host, reader, folders, plan, pref, items);
        });
    };
    mq::ExportSummary mboxSummary, emlSummary;
    const Timing mbox = exportAs(mq::ExportFormat::Mbox, dir / "mbox", mboxSummary);
    const Timing eml = exportAs(mq::ExportFormat::Eml, dir / "eml", emlSummary);
    // undbx again afterwards: how fast new files are made drifts with what the file system
    // went through, so the comparison is with the mean of a run before and after.
    const Timing undbxAfter = runUndbx(dbx, dir / "undbx-again");
    const Timing undbx = mean(undbxBefore, undbxAfter);

    std::printf(
        "mbox: %zu messages, %.1f MB; eml: %zu messages in %zu files; undbx wrote %zu "
        "files; peak memory %ld KB\n",
        mboxSummary.messages, double(mboxSummary.bytes) / 1e6, emlSummary.messages,
        filesIn(dir / "eml"), undbxFiles, peakRssKilobytes());
    if (!undbx.valid()) std::printf("undbx could not be run\n");
    printTiming("undbx before", undbxBefore, undbxBefore, "");
    printTiming("undbx after", undbxAfter, undbxAfter, "");
    printTiming("export to mbox", mbox, undbx, "0.5");
    printTiming("export to .eml", eml, undbx, "1.0");
    if (!std::getenv("KEEP")) fs::remove_all(dir);
    return mboxSummary.complete() && emlSummary.complete() && mboxSummary.messages == count &&
                   emlSummary.messages == count
               ? 0
               : 1;
}
