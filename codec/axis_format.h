// Axis format tables: which value codec, with how many decimals, serves each axis.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Which value codec serves an axis. The tables describe up to six axis slots;
// nothing fills them, so they stay zero and every axis is linear with three
// decimals. They are kept so a controller with rotary axes can be described.
constexpr std::size_t AXIS_SLOT_COUNT = 6;

// A format descriptor: bits 0-2 the kind, bits 3-6 a count n.
constexpr std::uint32_t FORMAT_KIND_MASK = 0x7;
constexpr unsigned FORMAT_COUNT_SHIFT = 3;
constexpr std::uint32_t FORMAT_COUNT_MASK = 0xF;
constexpr std::uint32_t FORMAT_KIND_LINEAR = 0;     // theLinearCodec, 3 - n decimals
constexpr std::uint32_t FORMAT_KIND_ANGLE = 1;      // theAngleCodec, 6 - n decimals
constexpr std::uint32_t FORMAT_KIND_LINEAR_ALT = 2; // read as FORMAT_KIND_LINEAR
// Kinds 3 to 7 keep the current codec and give it n decimals.

// A letter map entry: byte 0 unused, low four bits of byte 1 the axis code.
constexpr std::size_t LETTER_MAP_ENTRY_SIZE = 2;
constexpr std::size_t LETTER_MAP_CODE_BYTE = 1;
constexpr std::uint8_t LETTER_MAP_CODE_MASK = 0x0F;

extern std::array<std::uint32_t, AXIS_SLOT_COUNT> theAxisFormats;
extern std::array<std::array<std::uint8_t, LETTER_MAP_ENTRY_SIZE>, AXIS_SLOT_COUNT> theAxisLetterMap;
extern std::uint8_t theAxisMapCount;

// The slot (0 to 5) that serves an axis code; slot 0 when none does.
std::uint8_t FindAxisSlot(std::uint8_t axisCode);

// Points theCurrentCodec at the codec for a slot and sets its decimals. A slot
// past the tables reads as slot 0. Kinds 3 to 7 keep the current codec, or
// take theLinearCodec when none was chosen yet, so the result is never null.
void SelectCodec(std::uint8_t slot);
