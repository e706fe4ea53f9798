// Mode names as the store keeps them (the processor's code page, GBK, space-padded to 20
// bytes) and as people read and type them (UTF-8). The conversion happens here, at the edge:
// the window, the terminal and JSON see UTF-8, the device and the files see GBK.
#pragma once

#include "model/DeviceParams.h"
#include "model/FieldTable.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace zel {

// Encodes a name typed in UTF-8 into the bytes to store. False, with a one-line reason in
// `error` (in the language on show), when it holds a control character, a character GBK
// cannot write, or more than kModeNameLength bytes once written in GBK.
bool encodeModeName(std::string_view utf8, std::string& stored, std::string& error);

// The stored bytes of a name, trailing spaces and NULs dropped, in UTF-8. A byte that is no
// GBK character shows as U+FFFD, so a name from any source can be shown.
std::string decodeModeName(const char* stored, std::size_t size);

// decodeModeName of mode name `mode` (0..5) of `p`.
std::string modeNameText(const DeviceParams& p, int mode);

// decodeModeName of a text field of the field table (a mode name) in `p`.
std::string textFieldText(const DeviceParams& p, const Field& f);

} // namespace zel
