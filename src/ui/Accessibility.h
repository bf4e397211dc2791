#pragma once

class QWidget;

namespace mq {

// Teaches the screen reader interface what the program's controls are where the widgets'
// own answer misleads: a read-only text (a message, its source, the help) is a document the
// user moves through, not a label or an edit field; a splitter handle is a separator named
// after its splitter; a reader or Source window is a window. Installed once, with the first
// main window, before any control is asked about.
void installAccessibleRoles();

// Gives every control of `window` that a label names (its buddy) and that has no name of its
// own the label's text, without the "&" and the colon: lists take no name from a label.
void nameControlsByLabels(QWidget& window);

}  // namespace mq
