#pragma once

// The whole-job benchmarks' operation host: nobody watches, so progress is counted and
// dropped, and an error is printed.

#include "view/OperationHost.h"

#include <cstdio>
#include <string>

namespace mq::bench {

class QuietHost : public OperationHost {
public:
    ProgressState& progress() override { return state; }
    bool cancelled() const override { return false; }
    void NotifyObservers() override {}
    void showError(const std::string& text) override { std::printf("error: %s\n", text.c_str()); }
    ProgressState state;
};

}  // namespace mq::bench
