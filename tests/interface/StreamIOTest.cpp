// The protocol's encoding operations over a scripted stream and the null stream.
#include <gtest/gtest.h>

#include "ScriptedStream.h"

namespace {

TEST(StreamEncoding, NumbersAreBigEndian)
{
    ScriptedStream s;
    s.ExpectWrite({0x00, 0x00, 0x01, 0x02, 0xAB, 0xCD, 0x7F});
    s.Reply({0x12, 0x34, 0xDE, 0xAD, 0xBE, 0xEF});
    s.WriteLong(258);
    s.WriteWord(0xABCD);
    s.WriteByte(0x7F);
    EXPECT_EQ(s.ReadWord(), 0x1234);
    EXPECT_EQ(s.ReadLong(), 0xDEADBEEFu);
    s.ExpectDone();
}

TEST(StreamEncoding, TextEndsAtTheZeroByteWidensEachByteAndEndlessTextIsCutOff)
{
    ScriptedStream s;
    s.Reply({'R', 'V', 0xE9, 0, 'x'});
    EXPECT_EQ(s.ReadText(), u"RV\u00e9");
    EXPECT_EQ(s.ReadByte(), 'x');
    s.ExpectDone();

    s.Reply(ScriptedStream::Bytes(CStreamIO::kMaxTextLength + 10, 'A'));
    EXPECT_THROW(s.ReadText(), CStreamException);
    EXPECT_EQ(s.Purges(), 1);
}

TEST(StreamEncoding, AcknowledgeOtherThanBangPurgesAndThrows20016)
{
    ScriptedStream s;
    s.Reply({'!', '?'});
    s.CheckAck();
    EXPECT_EQ(s.Purges(), 0);
    EXPECT_EQ(StreamErrorOf([&] { s.CheckAck(); }), 20016u);
    EXPECT_EQ(s.Purges(), 1);
    s.ExpectDone();

    EXPECT_EQ(CStreamException(0).ErrorCode(), 20011u) << "zero means unspecified";
    EXPECT_EQ(CStreamException(20020).ErrorCode(), 20020u);
}

TEST(StreamEncoding, NothingIsReadWhenNotConnected)
{
    ScriptedStream s;
    s.SetConnected(false);
    s.CheckAck();
    EXPECT_EQ(s.ReadText(), u"");
    s.ExpectDone();  // a read would have been a mismatch: the script is empty
}

TEST(StreamEncoding, DrainReadsWhatIsWaitingThenPurges)
{
    ScriptedStream s;
    s.SetWaitingInput({1, 2, 3});
    s.DrainInput();
    EXPECT_EQ(s.GetInputCount(), 0u);
    EXPECT_EQ(s.Purges(), 1);
    s.DrainInput();
    EXPECT_EQ(s.Purges(), 1) << "nothing waiting: no purge";
}

TEST(NullStream, AnswersZerosAndAwaitsNothing)
{
    CStreamNUL s;
    EXPECT_TRUE(s.Open());
    EXPECT_FALSE(s.IsConnected());
    uint8_t four[4] = {1, 2, 3, 4};
    s.Read(four, 4);
    EXPECT_EQ(four[0] | four[1] | four[2] | four[3], 0);
    EXPECT_EQ(s.ReadLong(), 0u);
    s.CheckAck();
    EXPECT_EQ(s.ReadText(), u"");
    EXPECT_EQ(s.ShowConnectFailed(true, true), 6);
}

} // namespace
