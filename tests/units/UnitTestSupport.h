// An interface object identified at a chosen variant level and firmware over
// a scripted stream, for unit tests that depend on either.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "FakeServices.h"
#include "interface/Vexaface.h"

using Bytes = ScriptedStream::Bytes;

struct ScriptedInterface {
    explicit ScriptedInterface(uint8_t level, int firmware = 250)
    {
        stream = fake.streams.Prepare();
        const std::string id = "RV8810-4C  V2.50  " + std::to_string(firmware);
        Bytes text(id.begin(), id.end());
        text.push_back(0);
        stream->ExpectWrite({0x02}).Reply(text).ExpectWrite({0x0B}).Reply({level});
        EXPECT_EQ(face.Connect(true, false, false), kConnectConnected);
        EXPECT_EQ(face.VariantLevel(), level);
    }

    FakeServices fake;
    CVexaface face{fake.Services()};
    ScriptedStream* stream = nullptr;
};

// Big-endian bytes of 16-bit and 32-bit values, for scripted replies.
inline void PutWord(Bytes& b, int32_t v)
{
    b.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> 8));
    b.push_back(static_cast<uint8_t>(v));
}

inline void PutLong(Bytes& b, int32_t v)
{
    PutWord(b, static_cast<int32_t>(static_cast<uint32_t>(v) >> 16));
    PutWord(b, v);
}

// One channel's part of a multimeter block reply, in converter counts.
struct ChannelBlock {
    int32_t instant, sum, absSum, squares, minimum, maximum;
};

// The reply to a block read ("f", "k", "l": wide; "d": 8-bit) for channels X and Y.
inline Bytes BlockReply(const ChannelBlock& x, const ChannelBlock& y, bool wide)
{
    Bytes b;
    auto small = [&](int32_t v) {
        if (wide)
            PutWord(b, v);
        else
            b.push_back(static_cast<uint8_t>(v));
    };
    small(x.instant);
    small(y.instant);
    for (int32_t v : {x.sum, y.sum, x.absSum, y.absSum, x.squares, y.squares})
        PutLong(b, v);
    for (int32_t v : {x.minimum, x.maximum, y.minimum, y.maximum})
        small(v);
    return b;
}

// Every one of n samples at raw.
inline ChannelBlock Constant(int32_t raw, int32_t n = 2048)
{
    return {raw, raw * n, std::abs(raw) * n, raw * raw * n, raw, raw};
}

// Each command in turn, each answered with the acknowledgement.
inline void ExpectAcked(ScriptedStream& s, std::initializer_list<Bytes> commands)
{
    for (const Bytes& c : commands)
        s.ExpectWrite(c).Reply({'!'});
}
