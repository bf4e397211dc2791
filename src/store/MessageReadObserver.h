#pragma once

namespace mq {

// What the text reader asks of the window while it follows a block chain.
class MessageReadObserver {
public:
    virtual ~MessageReadObserver() = default;
    // The stop request (the main window's Cancelled), read after each block.
    virtual bool cancelled() const = 0;
    // Called after each block appended, unless cancelled by then (NotifyObservers).
    virtual void blockRead() = 0;
};

}  // namespace mq
