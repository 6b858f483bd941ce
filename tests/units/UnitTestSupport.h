// An interface object identified at a chosen variant level and firmware over
// a scripted stream, for unit tests that depend on either.
#pragma once

#include <gtest/gtest.h>

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
