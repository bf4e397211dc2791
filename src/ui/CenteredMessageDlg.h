#pragma once

#include <QMessageBox>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace mq {

// A modal message box with its own caption and an OK button, placed over the middle of the
// application's active window (a dialog, when one is active), else of the main window; at the
// default position when no window of the program is shown. Returns when the user has closed it.
void CenteredMessageDlg(const QString& caption, const QString& text, QMessageBox::Icon icon);

// Where a box of `boxSize` goes over a window whose frame is `activeFrame`: half sizes
// rounded towards zero, so the box sits over the middle within a pixel.
QPoint centeredPosition(const QRect& activeFrame, const QSize& boxSize);

}  // namespace mq
