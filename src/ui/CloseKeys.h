#pragma once

class QWidget;

namespace mq {

// Escape and Ctrl+W close `window`, as they close a document window elsewhere.
void addCloseKeys(QWidget& window);

}  // namespace mq
