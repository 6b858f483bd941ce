#include "SimOptions.h"

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <map>
#include <type_traits>
#include <vector>

namespace vexasim {

namespace {

bool ParseUnsigned(const std::string& text, unsigned long max, unsigned long& value)
{
    if (text.empty() || text[0] == '-')
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoul(text.c_str(), &end, 0);
    return errno == 0 && *end == '\0' && value <= max;
}

bool ParseSeconds(const std::string& text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && value >= 0 && value < 1e6;
}

bool ParseMac(const std::string& text, MacAddress& mac)
{
    if (text.size() != 17)
        return false;
    for (size_t i = 0; i < 6; ++i) {
        if (i > 0 && text[3 * i - 1] != '-' && text[3 * i - 1] != ':')
            return false;
        const std::string pair = text.substr(3 * i, 2);
        char* end = nullptr;
        const unsigned long b = std::strtoul(pair.c_str(), &end, 16);
        if (*end != '\0' || pair.size() != 2)
            return false;
        mac[i] = static_cast<uint8_t>(b);
    }
    return true;
}

// Splits "a,b,c" into its parts.
std::vector<std::string> SplitCommas(const std::string& text)
{
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == ',')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

bool ParseNumber(const std::string& text, double min, double max, double& value)
{
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && value >= min && value <= max;
}

// "CH=WAVE,HZ,VOLTS": a source wired to input A, B, C or D from outside.
bool ParseInput(const std::string& text, std::array<ExternalSource, 4>& inputs)
{
    static const std::map<std::string, int> waves = {{"sine", 0}, {"triangle", 1}, {"square", 2}, {"dc", 4}};
    if (text.size() < 2 || text[1] != '=' || text[0] < 'a' || text[0] > 'd')
        return false;
    const auto parts = SplitCommas(text.substr(2));
    ExternalSource source;
    if (parts.size() != 3 || !waves.count(parts[0]) || !ParseNumber(parts[1], 0, 1e6, source.frequency) ||
        !ParseNumber(parts[2], -50, 50, source.peak))
        return false;
    source.on = true;
    source.waveform = waves.at(parts[0]);
    inputs[static_cast<size_t>(text[0] - 'a')] = source;
    return true;
}

} // namespace

bool ParseSimOptions(int argc, const char* const* argv, SimOptions& o, std::string& error)
{
    using Setter = std::function<bool(const std::string&)>;
    auto unsignedInto = [](auto& field, unsigned long min, unsigned long max) {
        return Setter([&field, min, max](const std::string& v) {
            unsigned long n;
            if (!ParseUnsigned(v, max, n) || n < min)
                return false;
            field = static_cast<std::remove_reference_t<decltype(field)>>(n);
            return true;
        });
    };
    auto secondsInto = [](double& field) { return Setter([&field](const std::string& v) { return ParseSeconds(v, field); }); };
    auto textInto = [](std::string& field) { return Setter([&field](const std::string& v) { field = v; return true; }); };

    const std::map<std::string, Setter> withValue = {
        {"--address", textInto(o.address)},
        {"--port", unsignedInto(o.port, 0, 65535)},
        {"--level", unsignedInto(o.box.level, 1, 3)},
        {"--firmware", unsignedInto(o.box.firmware, 0, 65535)},
        {"--ident", textInto(o.box.identification)},
        {"--name", textInto(o.name)},
        {"--mac", [&](const std::string& v) { return ParseMac(v, o.mac); }},
        {"--dut", [&](const std::string& v) {
             if (v != "rc" && v != "wire")
                 return false;
             o.box.dut.kind = v == "rc" ? DutKind::RcLowPass : DutKind::Wire;
             return true;
         }},
        {"--corner", [&](const std::string& v) { return ParseSeconds(v, o.box.dut.cornerHz) && o.box.dut.cornerHz > 0; }},
        {"--digital-input", unsignedInto(o.box.digitalInput, 0, 65535)},
        {"--input", [&](const std::string& v) { return ParseInput(v, o.box.inputs); }},
        {"--metrahit", [&](const std::string& v) {
             static const std::map<std::string, MetraHitModel> models = {
                 {"none", MetraHitModel::None}, {"23s", MetraHitModel::M23S}, {"13s", MetraHitModel::One13S},
                 {"18s", MetraHitModel::M18S}, {"teach", MetraHitModel::Teach}};
             const auto it = models.find(v);
             if (it == models.end())
                 return false;
             o.box.metraHit = it->second;
             return true;
         }},
        {"--discovery-port", unsignedInto(o.discoveryPort, 0, 65535)},
        {"--tunnel-port", unsignedInto(o.tunnelPort, 0, 65535)},
        {"--close-after-bytes", unsignedInto(o.faults.closeAfterBytes, 1, 0xFFFFFFFFul)},
        {"--close-after-seconds", secondsInto(o.faults.closeAfterSeconds)},
        {"--wrong-ack", unsignedInto(o.faults.wrongAckAt, 1, 0xFFFFFFFFul)},
        {"--stall-after", unsignedInto(o.faults.stallAtCommand, 1, 0xFFFFFFFFul)},
        {"--stall-seconds", secondsInto(o.faults.stallSeconds)},
        {"--garbage-after", unsignedInto(o.faults.garbageAfterQuery, 1, 0xFFFFFFFFul)},
        {"--garbage-after-ack", unsignedInto(o.faults.garbageAfterAck, 1, 0xFFFFFFFFul)},
        {"--garbage-bytes", unsignedInto(o.faults.garbageBytes, 1, 65536)},
        {"--faulty-connections", unsignedInto(o.faults.faultyConnections, 0, 0xFFFFFFFFul)},
    };
    const std::map<std::string, bool*> flags = {
        {"--strict-attach", &o.box.strictAttach}, {"--verbose", &o.verbose}, {"--help", &o.help}, {"-h", &o.help}};
    bool noLoopback = false, noDiscovery = false, noTunnel = false;
    const std::map<std::string, bool*> negations = {
        {"--no-loopback", &noLoopback}, {"--no-discovery", &noDiscovery}, {"--no-tunnel", &noTunnel}};

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (const auto f = flags.find(arg); f != flags.end()) {
            *f->second = true;
        } else if (const auto n = negations.find(arg); n != negations.end()) {
            *n->second = true;
        } else if (const auto s = withValue.find(arg); s != withValue.end()) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            const std::string value = argv[++i];
            if (!s->second(value)) {
                error = "bad value for " + arg + ": \"" + value + "\"";
                return false;
            }
        } else {
            error = "unknown option \"" + arg + "\" (see --help)";
            return false;
        }
    }
    o.box.loopback = !noLoopback;
    o.discovery = !noDiscovery;
    o.tunnel = !noTunnel;
    if (o.faults.stallAtCommand != 0 && o.faults.stallSeconds == 0)
        o.faults.stallSeconds = 6;
    return true;
}

std::string SimHelpText()
{
    return R"(vexa-sim: a simulated Vexa trainer interface on TCP.

Usage: vexa-sim [options]

It answers the box's byte protocol on the protocol port: identification,
variant level, device name, attaching and releasing units, and the commands of
every function unit (scope, multimeter, counter, function and three-phase
generators, digital I/O with pattern generator and logic analyzer, relays,
METRAHit link) and of the Bode measurement. A command it does not know, or
one of another variant level or firmware, is answered with "?".

The signals: the function generator drives a device under test whose output
is channel A; the generator itself is channel B; three-phase outputs 1 and 2
are channels C and D. Scope records, rolling samples, multimeter sums, Bode
records and METRAHit readings (channel A) are all taken from these signals.
Generator waveforms: 0 sine, 1 triangle, 2 square, 3 rising sawtooth, 4 DC+,
5 DC-, 6 arbitrary samples, 7 falling sawtooth, 8 and 9 positive and negative
pulse (duty = high share). Full scale at amplitude 100 %: 10 V, 1 V, 0.1 V
peak in output ranges 0, 1, 2. Three-phase: 100 % = 14 V RMS, setting D is the
frequency in Hz, setting C is kept without effect. Multimeter samples are
taken every interval x 10 us. With the loopback the digital inputs read the
outputs, and the pattern while the logic analyzer records.

Connection:
  --address ADDR         listen address of the protocol port (127.0.0.1)
  --port N               protocol port (3060; 0 picks a free port)
  --discovery-port N     UDP discovery responder, answering this computer (17008)
  --no-discovery         no discovery responder
  --tunnel-port N        device-manager tunnel service on 127.0.0.1 (8080)
  --no-tunnel            no tunnel service

The box:
  --level 1|2|3          variant level (3); level 1 answers 0x0B with "?"
  --firmware N           firmware version at character 18 of the
                         identification (250)
  --ident TEXT           answer this identification instead
  --name TEXT            device name, as the protocol and discovery report it
                         ("Vexa Simulator")
  --mac XX-XX-XX-XX-XX-XX  MAC address for discovery (00-1B-2C-3D-4E-5F)
  --dut rc|wire          device under test: first-order RC low-pass (rc) or a
                         plain wire
  --corner HZ            corner frequency of the RC low-pass (1000)
  --no-loopback          digital outputs are not wired to the inputs
  --digital-input WORD   input word without the loopback (0)
  --input CH=WAVE,HZ,V   a source wired to input a, b, c or d from outside,
                         in place of what the box drives there: sine,
                         triangle, square or dc, frequency, peak volts (the
                         DC level for dc); repeat for other inputs
  --metrahit MODEL       meter on unit 8: none, 23s, 13s, 18s, teach (18s)
  --strict-attach        answer "?" to commands of units not attached

Faults, on every connection of the protocol port (counts start at 1):
  --faulty-connections N  only the first N connections get the faults (0: all)
  --close-after-bytes N  close the connection after sending N bytes
  --close-after-seconds T  close the connection T seconds after accepting it
  --wrong-ack N          send "?" instead of the N-th acknowledgement
  --stall-after N        hold the answer of the N-th command ...
  --stall-seconds T      ... for T seconds (6)
  --garbage-after N      follow the answer of the N-th query with garbage
  --garbage-after-ack N  follow the N-th acknowledgement with garbage
  --garbage-bytes N      how many garbage bytes (8)

Other:
  --verbose              log every command to standard error
  --help                 this text
)";
}

} // namespace vexasim
