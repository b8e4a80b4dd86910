// Writes the game's audio examples (WAV files and their "txt" descriptions) into a folder.
// The build runs it whenever it changes; the output is the same, byte for byte, every time.
//
//   make_examples FOLDER

#include "tools/CExampleSet.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_examples FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "make_examples: cannot create %s: %s\n", folder.c_str(),
                     error.message().c_str());
        return 1;
    }
    for (const std::string& name : examples::CExampleSet::RemoveStale(folder))
        std::printf("removed %s (no longer an example)\n", name.c_str());
    int written = 0;
    for (const examples::Example& example : examples::CExampleSet::All()) {
        if (!examples::CExampleSet::Write(example, folder)) {
            std::fprintf(stderr, "make_examples: cannot write %s in %s\n", example.name.c_str(),
                         folder.c_str());
            return 1;
        }
        ++written;
    }
    std::printf("%d audio examples in %s\n", written, folder.c_str());
    return 0;
}
