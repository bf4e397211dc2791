#pragma once

#include <cstdint>

namespace mq {

// What the recovery scan asks of the window while it reads a folder file.
class RecoveryScanObserver {
public:
    virtual ~RecoveryScanObserver() = default;
    // The stop request, read before each part of the file.
    virtual bool cancelled() const = 0;
    // How many bytes of the file's `total` have been scanned; called before each part.
    virtual void scanned(std::uint64_t done, std::uint64_t total) = 0;
};

}  // namespace mq
