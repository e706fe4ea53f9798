// The comparison of two parameter stores field by field, in field-table order: what an
// installer asks when a room's processor or a mode file should match an approved mode.
#pragma once

#include "model/DeviceParams.h"
#include "model/FieldTable.h"

#include <string>
#include <vector>

namespace zel {

// One field that differs between store A and store B.
struct FieldChange {
    const Field* field = nullptr;
    unsigned a = 0; // stored values (numeric fields)
    unsigned b = 0;
    std::string textA; // display texts, or the mode names of a text field; may be empty
    std::string textB;
};

// One line of the comparison: an EQ band or crossover record with every member that
// differs, or a single field.
struct RecordChange {
    std::string record; // "eqBand[5]", "dance.filter[3]", "scene"
    std::string block;  // the store block it belongs to: "eqBand", "dance.filter", "scene"
    std::vector<FieldChange> fields;
};

struct BlockCount {
    std::string block;
    int fields = 0;
};

struct StoreDiff {
    std::vector<RecordChange> records; // field-table order
    std::vector<BlockCount> blocks;    // differing fields per block, in first-seen order
    int fieldCount = 0;
    bool same() const { return records.empty(); }
};

// Which fields take part. Bytes 0..5 (the master levels) never do: they belong to the
// room, not to a mode.
struct DiffScope {
    int part = -1; // -1 every field; 0..5 only what load part N takes from a mode file
    // Only the fields a processor reports in its dump; set when a side was read from one,
    // since the others hold the program's defaults rather than the device's values.
    bool dumpOnly = false;
};

// Compares a with b. Mode names compare by their text, every other field by its value.
StoreDiff diffStores(const DeviceParams& a, const DeviceParams& b, const DiffScope& scope = {});

// The line of one record: "eqBand[5].gain: 240 (0.0 dB) -> 300 (6.0 dB)" for one member,
// "eqBand[5]: freq 191 (779 Hz) -> 204 (1000 Hz), gain ..." for several.
std::string changeLine(const RecordChange& r);

// "3 fields differ: eqBand 2, scene 1", or "no differences".
std::string summaryLine(const StoreDiff& d);

} // namespace zel
