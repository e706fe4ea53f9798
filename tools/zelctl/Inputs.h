// The inputs zelctl checks before it opens a port: mode files and FIELD=VALUE assignments.
#pragma once

#include "model/DeviceParams.h"
#include "model/FieldTable.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zel::ctl {

// Reads the mode file at `path` into bytes 6..1423 of `out`. False with a one-line reason
// in `error` when it cannot be read or is not a mode file.
// Text from the command line or a file made safe to print inside quotes: quotes,
// backslashes and control characters escaped (\" \\ \n \t \r \xHH), so that a message or an
// output line stays one line and cannot be taken for another.
std::string escapedText(const std::string& text);

// Anything but a regular file (a folder, a FIFO, a device) is refused without opening it.
bool readModeInput(const std::string& path, DeviceParams& out, std::string& error);
// The same, also handing back the file's bytes, so the file is read once only.
bool readModeInput(const std::string& path, DeviceParams& out, std::vector<std::uint8_t>& bytes,
                   std::string& error);

// Whether `path` can be written: it is not a folder, and its folder exists and takes new
// files (tried with a probe file that is removed at once). False with a reason.
bool checkWritable(const std::string& path, std::string& error);

// Whether --port NAME may be opened as the processor's port: empty (search), or a terminal
// device. False with a one-line reason; nothing has been written to NAME then.
bool checkPortName(const std::string& name, std::string& error);

// One FIELD=VALUE of set.
struct Assignment {
    const Field* field = nullptr;
    unsigned value = 0; // numeric fields
    std::string text;   // modeName fields: the bytes to store, in the processor's code page
};

// Parses and checks one FIELD=VALUE. False with a one-line reason in `error`.
bool parseAssignment(const std::string& arg, Assignment& out, std::string& error);

// Parses an EqBlockId 0..14. False with a one-line reason in `error`.
bool parseBlock(const std::string& text, int& block, std::string& error);

// Whether the Dance bank of block `block` is meant: never for a block with one bank;
// otherwise --bank when given (`bank`), else the file's scene, Auto counting as the last
// manual scene.
bool danceBankOf(const DeviceParams& file, int block, const std::string& bank);

// Parses every FIELD=VALUE of one set; a field given twice is refused. False with a one-line
// reason in `error`.
bool parseAssignments(const std::vector<std::string>& args, std::vector<Assignment>& out,
                      std::string& error);

} // namespace zel::ctl
