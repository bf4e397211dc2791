#pragma once

#include <QAbstractScrollArea>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mq {

// A long text shown line by line as the lines come into view. It holds the text and the
// start of each line, and takes time in proportion to the text's length: a text of 50 MB
// shows in a fraction of a second where a text document would lay it out for half a minute
// in a gigabyte. Read-only, without selection; a line longer than LongestLine bytes goes on
// in the next.
class PlainTextView : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr std::size_t LongestLine = 1000;

    explicit PlainTextView(QWidget* parent = nullptr);

    // `text`: UTF-8, lines ending in LF.
    void showText(std::string text);
    std::size_t lineCount() const { return lineStarts_.size(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::string_view line(std::size_t index) const;
    void updateScrollBars();

    std::string text_;
    std::vector<std::size_t> lineStarts_;
    std::size_t longestLine_ = 0;  // in bytes
};

}  // namespace mq
