// A slide's reading and preparation without windows, as the slide preparer does it: the input
// is the slide file, optionally followed by a zero byte and the bytes of "b.wav", an example
// the slide may name. "a.wav", a short tone made here, is always there and in the catalogue.

#include "fuzz/FuzzFile.h"

#include "game/CGameContext.h"
#include "game/CGameSlide.h"
#include "game/ElementError.h"
#include "platform/CText.h"
#include "platform/CApplication.h"
#include "tools/CWaveWriter.h"

#include <tinyxml2.h>

#include <cmath>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

void WriteFile(const char* name, const std::uint8_t* data, std::size_t size) {
    std::ofstream(name, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// In memory (/dev/shm), since "b.wav" is rewritten on most runs.
void MakeGameFolder() {
    char folder[] = "/dev/shm/velmora-fuzz-slide.XXXXXX";
    if (mkdtemp(folder) == nullptr || chdir(folder) != 0)
        std::abort();
    examples::CWaveWriter::Channels tone(1);
    for (int i = 0; i < 3000; ++i)
        tone[0].push_back(0.5f * std::sin(0.05f * static_cast<float>(i)));
    const auto bytes = examples::CWaveWriter::Encode({8000, 1, 16}, tone);
    std::filesystem::create_directory("ex");
    WriteFile("ex/a.wav", bytes.data(), bytes.size());
    WriteFile("b.wav", bytes.data(), bytes.size());
}

game::CGameContext& Master() {
    static game::CGameContext master;
    return master;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static CApplication application(*argc, *argv);
    MakeGameFolder();
    Master().AddExampleFolder(L"ex");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static CFuzzFile slideFile;
    const auto* zero = static_cast<const std::uint8_t*>(std::memchr(data, 0, size));
    const std::size_t slideSize = zero != nullptr ? static_cast<std::size_t>(zero - data) : size;
    if (zero != nullptr)
        WriteFile("b.wav", zero + 1, size - slideSize - 1);
    const std::wstring path = CText::ToWide(slideFile.Write(data, slideSize));

    tinyxml2::XMLDocument document(true, tinyxml2::COLLAPSE_WHITESPACE);
    if (game::CGameSlide::LoadDocument(path, document) != game::ERR_NONE)
        return 0;
    game::CGameSlide slide(Master(), L"fuzz.xml");
    CRect area{10, 40, 1014, 758};
    const int code = slide.ReadXml(*document.RootElement(), area, WS_CHILD);
    if (code < 0 || code > game::ERR_NONE)
        std::abort();
    if (code == game::ERR_NONE) {
        slide.GetMaxPoints();
        slide.FitToArea(CRect{0, 0, 1900, 1000});
    }
    return 0;
}
