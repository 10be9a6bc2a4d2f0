// ILinkObserver: sees every frame the link sends and receives, and why one failed.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// Why a transaction got no good reply.
enum class LinkFailure {
    NoReply,    // not even the reply's header arrived within the time-out
    ShortReply, // the header came, the rest did not within the time-out
    TooLong,    // the header announced more data than a reply may carry
    BadCrc,     // the whole reply came, its CRC was wrong
    Exception,  // the controller refused the request with an exception reply
    ShortData,  // a good reply carried fewer data than the request needs
    PortGone,   // the port hung up: its device went away, and the port was closed
    PortClosed, // no port was open: nothing was sent
};

// How the last transaction failed, as a value for whoever tells the user.
struct LinkFault {
    LinkFailure failure = LinkFailure::NoReply;
    // Exception: the controller's exception code.
    std::uint8_t exceptionCode = 0;
    // The read time-out the reply had, in ms.
    std::uint32_t timeoutMs = 0;
    // The port's name as it was chosen ("COM3").
    std::string portName;
};

// Sees every frame the link sends and receives, on the thread that runs the
// transaction. The link keeps no copy of the frames: each span is valid
// only during the call.
class ILinkObserver {
public:
    virtual ~ILinkObserver() = default;
    virtual void RequestSent(std::span<const std::uint8_t> request) = 0;
    virtual void ReplyReceived(std::span<const std::uint8_t> reply) = 0;
    // `received` holds what is known to have arrived: nothing for NoReply,
    // the header for ShortReply and TooLong, the whole reply for BadCrc.
    virtual void ReplyFailed(LinkFailure failure, std::span<const std::uint8_t> received,
                             std::uint32_t timeoutMs) = 0;
};
