#include "ui/Accessibility.h"

#include "ui/TReaderWindow.h"
#include "ui/TSourceWindow.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextCursor>
#include <QTextEdit>

#include <algorithm>

namespace mq {

namespace {

// A read-only text as a document: its text, caret and selection for the screen reader to
// move through, over the widget's own cursor. `Edit` is QTextEdit or QPlainTextEdit.
template <class Edit>
class DocumentAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit DocumentAccessible(Edit* edit) : QAccessibleWidget(edit, QAccessible::Document) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        return state;
    }
    // The scroll bars and the viewport are the widget's inner workings, not parts of the text.
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    void selection(int index, int* start, int* end) const override {
        const QTextCursor cursor = edit()->textCursor();
        const bool selected = index == 0 && cursor.hasSelection();
        *start = selected ? cursor.selectionStart() : 0;
        *end = selected ? cursor.selectionEnd() : 0;
    }
    int selectionCount() const override { return edit()->textCursor().hasSelection() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override {
        QTextCursor cursor = edit()->textCursor();
        cursor.clearSelection();
        edit()->setTextCursor(cursor);
    }
    void setSelection(int, int start, int end) override {
        QTextCursor cursor = cursorAt(start);
        cursor.setPosition(clamped(end), QTextCursor::KeepAnchor);
        edit()->setTextCursor(cursor);
    }
    int cursorPosition() const override { return edit()->textCursor().position(); }
    void setCursorPosition(int position) override { edit()->setTextCursor(cursorAt(position)); }

    QString text(int start, int end) const override {
        QTextCursor cursor = cursorAt(start);
        cursor.setPosition(clamped(end), QTextCursor::KeepAnchor);
        return cursor.selectedText()
            .replace(QChar::ParagraphSeparator, QLatin1Char('\n'))
            .replace(QChar::LineSeparator, QLatin1Char('\n'));
    }
    using QAccessibleWidget::text;
    int characterCount() const override { return edit()->document()->characterCount() - 1; }

    QRect characterRect(int offset) const override {
        const QTextCursor cursor = cursorAt(offset);
        QRect rect = edit()->cursorRect(cursor);
        const QChar c = edit()->document()->characterAt(cursor.position());
        rect.setWidth(std::max(edit()->fontMetrics().horizontalAdvance(c), 1));
        return {edit()->viewport()->mapToGlobal(rect.topLeft()), rect.size()};
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint local = edit()->viewport()->mapFromGlobal(point);
        if (!edit()->viewport()->rect().contains(local)) return -1;
        return edit()->cursorForPosition(local).position();
    }
    void scrollToSubstring(int start, int end) override {
        setSelection(0, start, end);
        edit()->ensureCursorVisible();
    }
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    Edit* edit() const { return static_cast<Edit*>(widget()); }
    int clamped(int position) const { return std::clamp(position, 0, characterCount()); }
    QTextCursor cursorAt(int position) const {
        QTextCursor cursor(edit()->document());
        cursor.setPosition(clamped(position));
        return cursor;
    }
};

// The bar between two panes: a separator that says which panes it divides.
class SplitterHandleAccessible : public QAccessibleWidget {
public:
    explicit SplitterHandleAccessible(QSplitterHandle* handle)
        : QAccessibleWidget(handle, QAccessible::Separator) {}

    QString text(QAccessible::Text kind) const override {
        const QSplitter* splitter = static_cast<QSplitterHandle*>(widget())->splitter();
        if (kind == QAccessible::Name && splitter != nullptr) return splitter->accessibleName();
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* accessibleFor(const QString& className, QObject* object) {
    // Asked once for each class of the object, the most derived first: the answer comes at
    // the first question, before the widgets' own answer for a base class.
    if (object == nullptr || !object->isWidgetType() ||
        className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (auto* handle = qobject_cast<QSplitterHandle*>(widget))
        return new SplitterHandleAccessible(handle);
    if (auto* edit = qobject_cast<QTextEdit*>(widget); edit != nullptr && edit->isReadOnly())
        return new DocumentAccessible<QTextEdit>(edit);
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget); edit != nullptr && edit->isReadOnly())
        return new DocumentAccessible<QPlainTextEdit>(edit);
    if (qobject_cast<TReaderWindow*>(widget) != nullptr ||
        qobject_cast<TSourceWindow*>(widget) != nullptr)
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

}  // namespace

void installAccessibleRoles() {
    QAccessible::installFactory(accessibleFor);
}

void nameControlsByLabels(QWidget& window) {
    static const QRegularExpression mnemonic(QStringLiteral("&(.)"));
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        QWidget* control = label->buddy();
        if (control == nullptr || !control->accessibleName().isEmpty()) continue;
        QString name = label->text().replace(mnemonic, QStringLiteral("\\1")).trimmed();
        if (name.endsWith(QLatin1Char(':'))) name.chop(1);
        control->setAccessibleName(name);
    }
}

}  // namespace mq
