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
    // Whether a block's text goes on past a NUL in it, to its data length: the message
    // reader shows the stored text whole, where saving keeps to the text before the NUL.
    virtual bool keepsNuls() const { return false; }
};

}  // namespace mq
