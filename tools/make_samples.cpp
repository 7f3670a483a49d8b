// Writes the bundled samples into a folder (default: samples/ of the working directory).
#include <cstdio>
#include <fstream>
#include <string>

#include "sample_generator.h"

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "samples";
    for (const auto& [name, content] : quillon::tools::makeSamples()) {
        const std::string path = dir + "/" + name;
        std::ofstream out(path, std::ios::binary);
        out << content;
        if (!out) {
            std::fprintf(stderr, "make_samples: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
