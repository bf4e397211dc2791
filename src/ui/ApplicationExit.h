#pragma once

namespace mq {

// Ends the application the way File > Exit does. The request is posted, so the handler that
// makes it runs to its end first; then the event loop stops without closing the windows,
// so no close handler runs and nothing is stored.
void postApplicationExit();

}  // namespace mq
