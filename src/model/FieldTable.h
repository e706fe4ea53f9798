// FieldTable: every field of DeviceParams by name, with its place in the record, its range of
// stored values and the way it reaches the device. Tools address the store through it.
#pragma once

#include "model/DeviceParams.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zel {

// Bytes a field takes in the record: one byte, a little-endian 16-bit value, or a
// space-padded mode name.
enum class FieldWidth : std::uint8_t { Byte = 1, Word = 2, Text = kModeNameLength };

// How a field reaches the device.
enum class Delivery : std::uint8_t {
    ChangeDetector, // sent by the change detector when it differs from sentParams
    Command,        // only by its own device command (passwords, keyboard lock, user mode, names)
    Derived,        // follows another field: masterMute follows masterVolume
    Never,          // kept on the PC only: solo flags, last manual scene, current mode, spares
};

// The scene bank a field belongs to. A frame for a Singing or Dance field is applied by the
// device to the bank of its current scene.
enum class Bank : std::uint8_t { Shared, Singing, Dance };

// What displayText makes of a stored index.
enum class Display : std::uint8_t {
    None,
    PeqFreq,   // FreqTable, Hz
    XoverFreq, // XoverFreqTable, Hz; index 0 switches a crossover off
    EqGain,    // index * 0.1 - 24 dB
    Q,         // QTable
    UserQ,     // UserQTable
    AttackTime,
    CompRelease,
    GateRelease,
    Ratio,
    Polarity,
};

struct Field {
    std::string name;     // "eqBand[5].gain", "dance.filter[3].freq", "scene"
    std::uint16_t offset; // byte offset in DeviceParams
    FieldWidth width;
    std::uint16_t min; // smallest stored value (unused for text)
    std::uint16_t max; // largest stored value (unused for text)
    Delivery delivery;
    std::uint8_t command;     // frame command that carries the field, 0 for none
    std::int16_t deviceIndex; // index byte of that frame (mode number for names), -1 for none
    Bank bank;
    Display display;

    std::size_t size() const { return static_cast<std::size_t>(width); }
    bool isText() const { return width == FieldWidth::Text; }
};

// Every field, in offset order. The entries tile the 1424 bytes of the record exactly once.
std::span<const Field> allFields();

// The field of that exact name (array index and member included), or null.
const Field* findField(std::string_view name);

// The field that holds byte `offset` of the record, or null beyond the record.
const Field* fieldAtOffset(std::size_t offset);

// The field a page shows for music scene `scene` (1 Singing, 2 Dance): the Dance copy of a
// Singing-bank field when scene is 2, else the field itself.
const Field& sceneField(const Field& f, int scene);

// Whether value lies in the field's range. Always false for text fields.
bool inRange(const Field& f, unsigned value);

// The stored value of a byte or 16-bit field (asserted: not a text field).
unsigned readField(const DeviceParams& p, const Field& f);

// Stores value in a byte or 16-bit field. The value must fit the field's width (asserted);
// the range is the caller's to check with inRange. A master volume is stored together with
// its mute flag, as the main window's sliders do.
void writeField(DeviceParams& p, const Field& f, unsigned value);

// The trimmed text of a mode name field (asserted: a text field).
std::string readText(const DeviceParams& p, const Field& f);

// Stores text space-padded in a mode name field; false, with the field untouched, when the
// text is longer than the field.
bool writeText(DeviceParams& p, const Field& f, std::string_view text);

// The value as the operator reads it ("1000 Hz", "-3.0 dB", "Atk X4", "+"), or an empty
// string for a field without a display form or an index outside its table.
std::string displayText(const Field& f, unsigned value);

} // namespace zel
