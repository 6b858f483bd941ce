#include <gtest/gtest.h>

#include "../framework/ArchiveTestUtil.h"
#include "ScriptedStream.h"
#include "units/Relays.h"

namespace {

TEST(Relays, FlushSendsTheByteOnlyWhenPendingAndAWrongAcknowledgeRaises)
{
    ScriptedStream s;
    CRelays relays(&s, nullptr);
    EXPECT_FALSE(relays.Flush()) << "a new unit has nothing pending";
    relays.SetState(0x81);
    s.ExpectWrite({0x32, 0x81}).Reply({'!'});
    EXPECT_TRUE(relays.Flush());
    EXPECT_FALSE(relays.Flush());
    s.ExpectDone();
    EXPECT_EQ(s.Transfers().size(), 1u) << "command and byte leave as one transfer";

    // A wrong acknowledgement raises and does not mark again.
    relays.SetState(1);
    s.ExpectWrite({0x32, 0x01}).Reply({'x'});
    EXPECT_THROW(relays.Flush(), CStreamException);
    EXPECT_FALSE(relays.Flush());
}

TEST(Relays, SettingsRoundTripAndLoadingMarksEverything)
{
    ScriptedStream s;
    CRelays stored(&s, nullptr);
    stored.SetState(0x5A);
    const Bytes bytes = StoreBytes([&](CArchive& ar) { stored.Serialize(ar); });
    EXPECT_EQ(bytes, (Bytes{1, 0, 0, 0, 0x5A}));

    CRelays loaded(&s, nullptr);
    LoadBytes(bytes, [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_EQ(loaded.State(), 0x5A);
    s.ExpectWrite({0x32, 0x5A}).Reply({'!'});
    EXPECT_TRUE(loaded.Flush());
    s.ExpectDone();
}

} // namespace
