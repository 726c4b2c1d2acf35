#include "hid/discovery.h"
#include "protocol/command_channel.h"

// The same sequence as the transport's unit count, with the count defined
// (0) when binding fails, so callers need not pre-set it.
TransportStatus TVRXCommandChannel::LookupUnits(uint16_t vendorId, uint16_t productId,
                                                uint32_t& count) {
    count = 0;
    return CountUnits(vendorId, productId, count);
}
