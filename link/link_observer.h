// ILinkObserver: sees every frame the link sends and receives, and why one failed.
#pragma once

#include <cstdint>
#include <span>

// Why a transaction got no good reply.
enum class LinkFailure {
    NoReply,    // not even the reply's header arrived within the time-out
    ShortReply, // the header came, the rest did not within the time-out
    TooLong,    // the header announced more data than a reply may carry
    BadCrc,     // the whole reply came, its CRC was wrong
    Exception,  // the controller refused the request with an exception reply
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
