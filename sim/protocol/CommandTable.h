// What the box knows about each command byte: which unit it belongs to, on
// which variant levels it exists, how many parameter bytes follow, and the
// function that carries it out. The protocol has no framing, so these
// parameter counts are what keeps the engine in step with the plug-in.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "protocol/ReplyWriter.h"

namespace vexasim {

class CSimBox;

// Carries out one command with its parameters; answers through reply.
using CommandHandler = void (*)(CSimBox& box, const uint8_t* params, size_t size, CReplyWriter& reply);
// More parameter bytes implied by the fixed ones (a count, say).
using ExtraLength = size_t (*)(const uint8_t* params);
// Bytes that follow a command's first acknowledgement (sample uploads).
using DataLength = size_t (*)(const uint8_t* params);

constexpr uint8_t kAllLevels = 0b1110;
constexpr uint8_t kLevel1 = 0b0010;
constexpr uint8_t kLevels23 = 0b1100;
constexpr uint8_t kLevel3 = 0b1000;

struct CommandSpec {
    const char* name = nullptr;  // nullptr: the byte is no command
    uint8_t unit = 0;            // 1 to 8, or 0 for the interface itself
    uint8_t levels = kAllLevels; // bit n set: exists on variant level n
    uint16_t params = 0;         // fixed parameter bytes
    ExtraLength extra = nullptr;
    CommandHandler handler = nullptr;
    DataLength data = nullptr;      // a second phase after the first ack
    CommandHandler onData = nullptr;
    uint16_t minFirmware = 0;       // lowest firmware version that knows it
};

class CCommandTable {
public:
    // The table of every command of the box, built once.
    static const CCommandTable& Instance();

    const CommandSpec& operator[](uint8_t byte) const { return m_specs[byte]; }
    void Add(uint8_t byte, const CommandSpec& spec) { m_specs[byte] = spec; }

private:
    std::array<CommandSpec, 256> m_specs{};
};

// Each unit's file adds its own commands.
void RegisterInterfaceCommands(CCommandTable& table);
void RegisterScopeCommands(CCommandTable& table);
void RegisterBodeCommands(CCommandTable& table);
void RegisterMeterCommands(CCommandTable& table);
void RegisterGeneratorCommands(CCommandTable& table);
void RegisterThreePhaseCommands(CCommandTable& table);
void RegisterDigitalCommands(CCommandTable& table);

} // namespace vexasim
