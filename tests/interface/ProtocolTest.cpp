// The interface-level command sequences, byte for byte.
#include <gtest/gtest.h>

#include <cstring>

#include "ScriptedStream.h"
#include "interface/Protocol.h"

namespace {

using Bytes = ScriptedStream::Bytes;

Bytes Text(const char* s)
{
    Bytes b(s, s + std::strlen(s));
    b.push_back(0);
    return b;
}

TEST(Identify, VariantLevelsAndTheQuestionMark)
{
    struct Case { uint8_t answer; uint8_t level; };
    const Case cases[] = {{'?', 1}, {1, 1}, {2, 2}, {3, 3}, {0, 1}, {9, 3}};
    for (const Case& c : cases) {
        ScriptedStream s;
        s.ExpectWrite({0x02}).Reply(Text("RV8810-4C  V2.50  250")).ExpectWrite({0x0B}).Reply({c.answer});
        const InterfaceIdentity id = IdentifyInterface(s);
        EXPECT_TRUE(id.recognised);
        EXPECT_EQ(id.variantLevel, c.level) << int(c.answer);
        EXPECT_EQ(id.text, u"RV8810-4C  V2.50  250");
        EXPECT_EQ(id.deviceName, u"");
        EXPECT_EQ(s.Purges(), 2);
        s.ExpectDone();
    }
}

TEST(Identify, DeviceNameOnlyAtLevelThreeOverTheNetwork)
{
    Bytes name(64, 0);
    const char16_t* text = u"Bench 7";
    for (int i = 0; text[i]; ++i) {
        name[2 * i] = static_cast<uint8_t>(text[i]);
        name[2 * i + 1] = 0;
    }
    name[2 * 7 + 2] = 'X';  // after the terminator: ignored

    ScriptedStream network;
    network.SetSocketStream(true);
    network.ExpectWrite({0x02}).Reply(Text("RV8810-4C")).ExpectWrite({0x0B}).Reply({3}).ExpectWrite({0x18}).Reply(name);
    EXPECT_EQ(IdentifyInterface(network).deviceName, u"Bench 7");
    network.ExpectDone();

    // Level 3 not over a socket, and level 2 over one: no 0x18.
    for (const auto& [level, socket] : {std::pair<uint8_t, bool>{3, false}, {2, true}}) {
        ScriptedStream s;
        s.SetSocketStream(socket);
        s.ExpectWrite({0x02}).Reply(Text("RV8810-4C")).ExpectWrite({0x0B}).Reply({level});
        EXPECT_EQ(IdentifyInterface(s).variantLevel, level);
        s.ExpectDone();
    }
}

TEST(Identify, OtherDevicesAreNotAskedFurtherAndSilenceEndsInTheStreamsFault)
{
    for (const char* other : {"RV8810-3X", "RV88", ""}) {
        ScriptedStream s;
        s.ExpectWrite({0x02}).Reply(Text(other));
        EXPECT_FALSE(IdentifyInterface(s).recognised) << other;
        s.ExpectDone();
    }
    ScriptedStream silent;
    silent.ExpectWrite({0x02}).Reply({'R', 'V'});
    EXPECT_THROW(IdentifyInterface(silent), CStreamException);
}

TEST(UnitCommands, AttachReleaseAndReleaseAll)
{
    ScriptedStream s;
    s.ExpectWrite({0x0E, 0x05}).Reply({'!'}).ExpectWrite({0x0F, 0x08}).Reply({'!'}).ExpectWrite({0x11});
    SendAttachUnit(s, 5);
    SendReleaseUnit(s, 8);
    SendReleaseAll(s);
    s.ExpectDone();

    ScriptedStream refused;
    refused.ExpectWrite({0x0E, 0x01}).Reply({'x'});
    EXPECT_THROW(SendAttachUnit(refused, 1), CStreamException);

    ScriptedStream offline;
    offline.SetConnected(false);
    SendReleaseAll(offline);
    EXPECT_TRUE(offline.AllWritten().empty());
}

} // namespace
