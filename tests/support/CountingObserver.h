#pragma once

#include "store/MessageReadObserver.h"
#include "store/RecoveryScanObserver.h"

#include <cstdint>

namespace mq::test {

// An observer of the reader and of the recovery scan that never asks to stop, and counts the
// blocks it is told about and how far the scan got.
class CountingObserver : public MessageReadObserver, public RecoveryScanObserver {
public:
    bool cancelled() const override { return false; }
    void blockRead() override { ++blocks; }
    void scanned(std::uint64_t done, std::uint64_t) override { scannedTo = done; }
    int blocks = 0;
    std::uint64_t scannedTo = 0;
};

}  // namespace mq::test
