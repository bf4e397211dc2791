#pragma once

#include "store/MessageReadObserver.h"

namespace mq::test {

// A reader's observer that never asks to stop and counts the blocks it is told about.
class CountingObserver : public MessageReadObserver {
public:
    bool cancelled() const override { return false; }
    void blockRead() override { ++blocks; }
    int blocks = 0;
};

}  // namespace mq::test
