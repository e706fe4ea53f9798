// zel-sim: the karaoke processor, simulated on a pseudo-terminal.
#include "Processor.h"
#include "SimOptions.h"
#include "Simulator.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

using namespace zel::sim;

int main(int argc, char** argv) {
    SimOptions options;
    if (std::string err = parseSimOptions(argc, argv, options); !err.empty()) {
        std::fprintf(stderr, "zel-sim: %s\n", err.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(kSimHelp, stdout);
        return 0;
    }
    CProcessor processor;
    if (!options.stateFile.empty()) {
        std::ifstream in(options.stateFile, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "zel-sim: cannot read the mode file %s\n",
                         options.stateFile.c_str());
            return 2;
        }
        const std::vector<std::uint8_t> image{std::istreambuf_iterator<char>(in), {}};
        if (std::string err = processor.loadModeFile(image.data(), image.size()); !err.empty()) {
            std::fprintf(stderr, "zel-sim: %s is not a mode file: %s\n",
                         options.stateFile.c_str(), err.c_str());
            return 2;
        }
    }
    CSimulator simulator(options, processor);
    if (std::string err = simulator.start(); !err.empty()) {
        std::fprintf(stderr, "zel-sim: %s\n", err.c_str());
        return 1;
    }
    std::printf("zel-sim: %s -> %s\n", options.link.c_str(), simulator.device().c_str());
    std::fflush(stdout);
    return simulator.run();
}
