// game.xml: any bytes as the configuration. Reading stops or completes; the catalogue it fills
// holds only what the folders named really contain.

#include "fuzz/FuzzFile.h"

#include "app/CGameConfig.h"
#include "game/CGameContext.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

// The folders a configuration names are looked up in a small game folder of our own: a slide
// and an example, so that reading the catalogue has something to find.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char folder[] = "/tmp/velmora-fuzz-config.XXXXXX";
    if (mkdtemp(folder) == nullptr || chdir(folder) != 0)
        std::abort();
    std::filesystem::create_directory("ex");
    std::ofstream("s.xml") << "<GameSlide><static>x</static></GameSlide>";
    std::ofstream("ex/a.wav") << "RIFF";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static CFuzzFile file;
    game::CGameContext context;
    CGameConfig config;
    config.Load(file.Write(data, size), context);
    return 0;
}
