// The JSON documents of zelctl's --json, one per command run, on standard output.
#pragma once

#include "model/DeviceParams.h"
#include "modes/ModeDiff.h"
#include "platform/PortDiscovery.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>
#include <vector>

namespace zel::ctl {

// Writes the document and a newline. Bytes that are not UTF-8 (a mode name in a legacy
// encoding) come out as U+FFFD rather than stopping the output.
void printJson(std::FILE* out, const nlohmann::json& doc);

// show: {"file", "fields": [{"name", "value", "text"}]}.
nlohmann::json showJson(const std::string& file, const DeviceParams& p);

// ports: {"ports": [{"name", "description"}]}.
nlohmann::json portsJson(const std::vector<SerialPortInfo>& ports);

// The differing fields per block of a comparison: [{"block", "fields"}].
nlohmann::json blocksJson(const StoreDiff& d);

} // namespace zel::ctl
