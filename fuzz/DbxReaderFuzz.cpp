// libFuzzer target: any bytes read as a folder list, as a message folder, and as the text
// chains of the first records found. The sanitizers check that nothing is read outside the
// input; libFuzzer's limits, that no input costs time or memory out of proportion.
#include "store/StoreReader.h"
#include "support/CountingObserver.h"
#include "support/MemoryByteSource.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::byte> bytes(size);
    if (size > 0) std::memcpy(bytes.data(), data, size);
    mq::MemoryByteSource file(std::move(bytes));

    mq::FolderList folders;
    mq::dbx::readFolderRecords(file, folders);
    mq::MessageInfoList messages;
    mq::dbx::readMessageRecords(file, messages);

    // Each chain costs up to the whole input; a few of them show what a chain does.
    constexpr std::size_t Chains = 8;
    mq::test::CountingObserver observer;
    const auto records = messages.records();
    for (std::size_t i = 0; i < std::min(records.size(), Chains); ++i) {
        std::string text;
        mq::dbx::readMessageText(file, records[i].MessagePosition, text, observer);
    }
    return 0;
}
