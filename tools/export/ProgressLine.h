#pragma once

#include "view/OperationHost.h"

#include <chrono>
#include <csignal>
#include <string>
#include <utility>
#include <vector>

namespace mq {

// The tool's side of an export: progress on standard error, redrawn in place as a bar with
// counts on a terminal and a line per folder elsewhere; Ctrl-C, SIGTERM and SIGHUP ask the
// export to stop, so that it ends with its summary as after Cancel.
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
    std::vector<std::pair<int, void (*)(int)>> previousHandlers_;
};

// Texts (UTF-8) as the console shows them: in the ANSI page on Windows.
std::string consoleText(const std::string& text);

}  // namespace mq
