// vexa-sim's command line.
#include <gtest/gtest.h>

#include <vector>

#include "SimOptions.h"

using namespace vexasim;

namespace {

bool Parse(std::vector<const char*> args, SimOptions& options, std::string& error)
{
    args.insert(args.begin(), "vexa-sim");
    return ParseSimOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(SimOptions, ReadsEveryKindOfOption)
{
    SimOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--port", "0", "--level", "1", "--firmware", "199", "--dut", "wire", "--corner", "250.5",
                       "--metrahit", "teach", "--no-loopback", "--digital-input", "0xA5A5", "--no-tunnel",
                       "--mac", "02:00:00:00:00:01", "--stall-after", "3", "--close-after-seconds", "1.5",
                       "--wrong-ack", "2", "--name", "Rack 4"},
                      o, error))
        << error;
    EXPECT_EQ(o.port, 0);
    EXPECT_EQ(o.box.level, 1);
    EXPECT_EQ(o.box.firmware, 199);
    EXPECT_EQ(o.box.dut.kind, DutKind::Wire);
    EXPECT_DOUBLE_EQ(o.box.dut.cornerHz, 250.5);
    EXPECT_EQ(o.box.metraHit, MetraHitModel::Teach);
    EXPECT_FALSE(o.box.loopback);
    EXPECT_EQ(o.box.digitalInput, 0xA5A5);
    EXPECT_FALSE(o.tunnel);
    EXPECT_TRUE(o.discovery);
    EXPECT_EQ(o.mac, (MacAddress{2, 0, 0, 0, 0, 1}));
    EXPECT_EQ(o.faults.stallAtCommand, 3u);
    EXPECT_EQ(o.faults.stallSeconds, 6.0);  // the default that goes with a stall
    EXPECT_DOUBLE_EQ(o.faults.closeAfterSeconds, 1.5);
    EXPECT_EQ(o.faults.wrongAckAt, 2u);
    EXPECT_EQ(o.name, "Rack 4");
}

TEST(SimOptions, WiresSourcesToTheInputs)
{
    SimOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--input", "b=square,1000,5", "--input", "d=dc,0,-2.5"}, o, error)) << error;
    EXPECT_FALSE(o.box.inputs[0].on);
    EXPECT_TRUE(o.box.inputs[1].on);
    EXPECT_EQ(o.box.inputs[1].waveform, 2);
    EXPECT_DOUBLE_EQ(o.box.inputs[1].frequency, 1000.0);
    EXPECT_DOUBLE_EQ(o.box.inputs[1].peak, 5.0);
    EXPECT_FALSE(o.box.inputs[2].on);
    EXPECT_TRUE(o.box.inputs[3].on);
    EXPECT_EQ(o.box.inputs[3].waveform, 4);
    EXPECT_DOUBLE_EQ(o.box.inputs[3].peak, -2.5);
}

TEST(SimOptions, RefusesBadArgumentsWithAReason)
{
    const std::vector<std::vector<const char*>> bad = {
        {"--level", "4"},      {"--level", "0"},          {"--port", "70000"}, {"--port", "-1"},
        {"--dut", "coil"},     {"--corner", "0"},         {"--mac", "00-11"},  {"--metrahit", "99s"},
        {"--wrong-ack", "0"},  {"--stall-seconds", "x"},  {"--port"},          {"--frobnicate"},
        {"--input", "e=sine,50,1"}, {"--input", "a=saw,50,1"}, {"--input", "a=sine,50"},
        {"--input", "a:sine,50,1"}, {"--input", "b=sine,-5,1"}, {"--input", "c=dc,0,99"},
    };
    for (const auto& args : bad) {
        SimOptions o;
        std::string error;
        EXPECT_FALSE(Parse(args, o, error)) << args[0];
        EXPECT_NE(error.find(args[0]), std::string::npos) << error;
    }
}

TEST(SimOptions, HelpNamesEveryOption)
{
    const std::string help = SimHelpText();
    for (const char* option : {"--address", "--port", "--discovery-port", "--no-discovery", "--tunnel-port", "--no-tunnel",
                               "--level", "--firmware", "--ident", "--name", "--mac", "--dut", "--corner", "--no-loopback",
                               "--digital-input", "--input", "--metrahit", "--strict-attach", "--close-after-bytes",
                               "--close-after-seconds", "--wrong-ack", "--stall-after", "--stall-seconds",
                               "--garbage-after", "--garbage-bytes", "--faulty-connections", "--verbose", "--help"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

} // namespace
