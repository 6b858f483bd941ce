// Drives the simulator's protocol engine with arbitrary bytes. The first byte
// picks the variant level and strict attaching; the rest arrives in pieces
// whose sizes and the time passing between them come from the data too.
// Whatever arrives, the box must answer without crashing, without reading
// past its input and in bounded time.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/SimClock.h"
#include "protocol/ProtocolEngine.h"
#include "protocol/SimBox.h"

using namespace vexasim;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    BoxOptions options;
    options.level = data[0] % 3 + 1;
    options.strictAttach = (data[0] & 0x04) != 0;
    options.loopback = (data[0] & 0x08) == 0;
    options.metraHit = static_cast<MetraHitModel>((data[0] >> 4 & 7) % 5);
    CManualClock clock;
    CDeviceIdentity identity(u"Fuzz", {1, 2, 3, 4, 5, 6}, 0x7F000001, 0xFF000000);
    CSimBox box(options, clock, identity);
    CProtocolEngine engine(box);

    std::vector<uint8_t> out;
    size_t at = 1;
    while (at < size) {
        // A piece: one byte of length (1 to 64) and time (0 to 3 s), then the bytes.
        const uint8_t control = data[at++];
        const size_t piece = std::min<size_t>(size - at, (control & 0x3F) + 1);
        clock.Advance((control >> 6) * 1.0);
        engine.Feed(data + at, piece, out);
        at += piece;
        out.clear();
    }
    return 0;
}
