#include "PipeClient.h"

std::array<uint8_t, 20> TPipeData::bytes() const
{
    std::array<uint8_t, 20> out{};
    out[1] = hasStoppedTask ? 1 : 0;
    const auto sum = static_cast<uint32_t>(clickSum);
    for (int i = 0; i < 4; ++i)
        out[4 + i] = static_cast<uint8_t>(sum >> (8 * i));
    // The companion recognises the record by this UTF-16LE text.
    const char marker[] = "7590";
    for (int i = 0; i < 4; ++i)
        out[8 + 2 * i] = static_cast<uint8_t>(marker[i]);
    return out;
}
