// The inputs zelctl checks before it opens a port: mode files and FIELD=VALUE assignments.
#pragma once

#include "model/DeviceParams.h"
#include "model/FieldTable.h"

#include <string>

namespace zel::ctl {

// Reads the mode file at `path` into bytes 6..1423 of `out`. False with a one-line reason
// in `error` when it cannot be read or is not a mode file.
bool readModeInput(const std::string& path, DeviceParams& out, std::string& error);

// Whether `path` can be written: it is not a folder, and its folder exists and takes new
// files (tried with a probe file that is removed at once). False with a reason.
bool checkWritable(const std::string& path, std::string& error);

// One FIELD=VALUE of set.
struct Assignment {
    const Field* field = nullptr;
    unsigned value = 0; // numeric fields
    std::string text;   // modeName fields
};

// Parses and checks one FIELD=VALUE. False with a one-line reason in `error`.
bool parseAssignment(const std::string& arg, Assignment& out, std::string& error);

// Parses an EqBlockId 0..14. False with a one-line reason in `error`.
bool parseBlock(const std::string& text, int& block, std::string& error);

// Whether the Dance bank of block `block` is meant: never for a block with one bank;
// otherwise --bank when given (`bank`), else the file's scene, Auto counting as the last
// manual scene.
bool danceBankOf(const DeviceParams& file, int block, const std::string& bank);

} // namespace zel::ctl
