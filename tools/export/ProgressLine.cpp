#include "ProgressLine.h"

#include "platform/AnsiCodePage.h"
#include "platform/Terminal.h"

#include <algorithm>
#include <cstdio>

namespace mq {

namespace {

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) {
    interrupted = 1;
}

constexpr int BarWidth = 30;
constexpr std::size_t LineWidth = 79;
constexpr auto RedrawInterval = std::chrono::milliseconds(100);

}  // namespace

std::string consoleText(const std::string& text) {
#ifdef _WIN32
    return AnsiCodePage::system().fromUtf8(text);
#else
    return text;
#endif
}

ProgressLine::ProgressLine() : terminal_(isTerminal(stderr)) {
    // A terminal closed or a system shutting down ends the export as Ctrl-C does.
    for (const int signal : {SIGINT, SIGTERM,
#ifdef SIGHUP
                             SIGHUP
#endif
         })
        previousHandlers_.emplace_back(signal, std::signal(signal, onInterrupt));
}

ProgressLine::~ProgressLine() {
    for (const auto& [signal, handler] : previousHandlers_) std::signal(signal, handler);
}

bool ProgressLine::cancelled() const {
    return state_.Cancelled || interrupted != 0;
}

void ProgressLine::NotifyObservers() {
    if (interrupted) state_.Cancelled = true;
    if (!terminal_) {
        // A log gets a line per folder, not a line per message.
        if (state_.ProgressPrefix == shownPrefix_) return;
        shownPrefix_ = state_.ProgressPrefix;
        std::fprintf(stderr, "%s%d of %d messages done\n", consoleText(shownPrefix_).c_str(),
                     state_.ProgressDone, state_.ProgressTotal);
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - lastDrawn_ < RedrawInterval) return;
    lastDrawn_ = now;
    draw();
}

void ProgressLine::draw() {
    const int total = state_.ProgressTotal > 0 ? state_.ProgressTotal : 1;
    const int filled = int(long(BarWidth) * std::min(state_.ProgressDone, total) / total);
    std::string line(1, '[');
    line.append(std::size_t(filled), '#').append(std::size_t(BarWidth - filled), '-');
    line.append("] ").append(std::to_string(state_.ProgressDone)).push_back('/');
    line.append(std::to_string(state_.ProgressTotal)).append(" ").append(state_.ProgressPrefix);
    // Cut between characters (UTF-8), counting one column for each.
    std::size_t width = 0;
    std::size_t end = 0;
    for (; end < line.size(); ++end) {
        if ((static_cast<unsigned char>(line[end]) & 0xC0) == 0x80) continue;
        if (width == LineWidth) break;
        ++width;
    }
    line.resize(end);
    // Blanks over what a longer line before left on the screen.
    if (width < drawnWidth_) line.append(drawnWidth_ - width, ' ');
    drawnWidth_ = width;
    std::fprintf(stderr, "\r%s", consoleText(line).c_str());
    std::fflush(stderr);
}

void ProgressLine::showError(const std::string& text) {
    if (terminal_ && drawnWidth_ > 0) std::fputc('\n', stderr);
    drawnWidth_ = 0;
    std::fprintf(stderr, "mailquarry-export: %s\n", consoleText(text).c_str());
}

void ProgressLine::finish() {
    if (!terminal_) return;
    draw();
    std::fputc('\n', stderr);
}

}  // namespace mq
