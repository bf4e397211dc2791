#pragma once

class QDialog;

namespace mq {

// Gives a dialog laid out at its designed places and sizes the fixed dialog frame. The
// design is for an 8-point font whose text is 13 pixels high and 6 pixels wide on average;
// under a larger font the layout grows by as much across and down, as the designed
// program's own dialogs did, so that every text shows whole.
void makeFixedDialog(QDialog& dialog);

}  // namespace mq
