// JSON documents of show and ports, and the one way every document is printed.
#include "JsonOutput.h"

#include "model/FieldTable.h"
#include "modes/ModeFile.h"
#include "modes/ModeName.h"

namespace zel::ctl {

void printJson(std::FILE* out, const nlohmann::json& doc) {
    const std::string text = doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    std::fprintf(out, "%s\n", text.c_str());
}

nlohmann::json showJson(const std::string& file, const DeviceParams& p) {
    nlohmann::json fields = nlohmann::json::array();
    for (const Field& f : allFields()) {
        if (f.offset < kModeStoreFirstByte)
            continue; // the master levels are not part of a mode file
        if (f.isText()) {
            fields.push_back({{"name", f.name}, {"value", textFieldText(p, f)}});
            continue;
        }
        const unsigned v = readField(p, f);
        nlohmann::json field = {{"name", f.name}, {"value", v}};
        if (const std::string shown = displayText(f, v); !shown.empty())
            field["text"] = shown;
        fields.push_back(std::move(field));
    }
    return {{"file", file}, {"fields", fields}};
}

nlohmann::json portsJson(const std::vector<SerialPortInfo>& ports) {
    nlohmann::json list = nlohmann::json::array();
    for (const SerialPortInfo& p : ports)
        if (!p.openName.empty())
            list.push_back({{"name", p.openName}, {"description", p.description}});
    return {{"ports", list}};
}

nlohmann::json blocksJson(const StoreDiff& d) {
    nlohmann::json blocks = nlohmann::json::array();
    for (const BlockCount& b : d.blocks)
        blocks.push_back({{"block", b.block}, {"fields", b.fields}});
    return blocks;
}

} // namespace zel::ctl
