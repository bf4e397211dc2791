#pragma once

#include "view/OperationHost.h"

#include <chrono>
#include <csignal>
#include <string>

namespace mq {

// The tool's side of an export: progress on standard error, redrawn in place as a bar with
// counts on a terminal and a line per folder elsewhere; Ctrl-C asks the export to stop.
class ProgressLine : public OperationHost {
public:
    ProgressLine();
    ~ProgressLine() override;

    ProgressState& progress() override { return state_; }
    bool cancelled() const override;
    void NotifyObservers() override;
    void showError(const std::string& text) override;
    // Ends the line after the last update.
    void finish();

private:
    void draw();

    ProgressState state_;
    bool terminal_;
    std::chrono::steady_clock::time_point lastDrawn_;
    std::string shownPrefix_;
    std::size_t drawnWidth_ = 0;
    void (*previousHandler_)(int) = SIG_DFL;
};

// Progress texts (UTF-8) as the console shows them.
std::string consoleText(const std::string& text);

}  // namespace mq
