#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace mq {

// The stored text of a message as it is, in a window of its own.
class TSourceWindow : public QWidget {
    Q_OBJECT

public:
    // `source`: the stored text, widened; `subject`: what the title names it by.
    TSourceWindow(const QString& source, const QString& subject, QWidget* parent);

private:
    QPlainTextEdit* SourceView;
};

}  // namespace mq
