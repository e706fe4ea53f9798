// Fuzzes the argument checks of zelctl set: the input is split at NUL bytes into
// FIELD=VALUE arguments. An accepted set names each field once, within its range, and a
// mode name that reads back as given; a refused one says why in one line.
#include "Inputs.h"
#include "model/Defaults.h"
#include "modes/ModeName.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zel;
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size && args.size() <= 16; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += static_cast<char>(data[i]);
    }

    std::vector<ctl::Assignment> out;
    std::string error;
    if (!ctl::parseAssignments(args, out, error)) {
        check(!error.empty() && error.find('\n') == std::string::npos, "one line of reason");
        return 0;
    }
    check(out.size() == args.size(), "one assignment per argument");
    std::set<const Field*> seen;
    DeviceParams p{};
    fillDefaults(p);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const ctl::Assignment& a = out[i];
        check(a.field != nullptr && seen.insert(a.field).second, "each field once");
        check(a.field->delivery != Delivery::Derived && a.field->delivery != Delivery::Never,
              "only fields the processor receives");
        if (a.field->isText()) {
            check(writeText(p, *a.field, a.text), "the stored name fits");
            const std::string given = args[i].substr(args[i].find('=') + 1);
            std::string shown = modeNameText(p, a.field->deviceIndex);
            std::string trimmed = given;
            while (!trimmed.empty() && trimmed.back() == ' ')
                trimmed.pop_back();
            check(shown == trimmed, "a mode name reads back as given");
            for (char c : a.text)
                check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F, "no control characters");
        } else {
            check(inRange(*a.field, a.value), "values in range");
            writeField(p, *a.field, a.value);
            check(readField(p, *a.field) == a.value, "a value reads back as given");
        }
    }
    return 0;
}
