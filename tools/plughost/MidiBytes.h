#pragma once
// The bytes of the MIDI messages that the host tool reads from files and
// sends to plug-ins. Status bytes are those of channel 1.

#include <cstdint>

namespace plughost {

// A status byte has its top bit set; data bytes have 7 bits.
constexpr std::uint8_t kMidiStatusBit = 0x80;
constexpr std::uint8_t kMidiDataMask = 0x7F;

constexpr std::uint8_t kMidiNoteOff = 0x80;
constexpr std::uint8_t kMidiNoteOn = 0x90;
constexpr std::uint8_t kMidiProgramChange = 0xC0;
constexpr std::uint8_t kMidiChannelPressure = 0xD0;
constexpr std::uint8_t kMidiPitchBend = 0xE0;
// A status byte without its channel: the kind of message.
constexpr std::uint8_t kMidiKindMask = 0xF0;
// Status bytes from here up are system messages, which carry no channel.
constexpr std::uint8_t kMidiSystem = 0xF0;
// A pitch bend's 14 bits, sent low 7 bits first.
constexpr int kMidiBendCentre = 8192;
constexpr int kMidiBendMax = 16383;

// Meta events exist in Standard MIDI Files only: 0xFF, a type, a length.
constexpr std::uint8_t kSmfMeta = 0xFF;
constexpr std::uint8_t kSmfTrackName = 0x03;
constexpr std::uint8_t kSmfTempo = 0x51;
constexpr std::uint8_t kSmfTimeSignature = 0x58;

}  // namespace plughost
