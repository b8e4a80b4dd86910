// The statistics text as it stands in "stats": decoding and loading. What loads must save, and
// what a save writes must load back to the same statistics.

#include "app/CGameStatistics.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CGameStatistics loaded;
    if (!loaded.LoadStatistics(reinterpret_cast<const char*>(data), size))
        return 0;
    std::string text;
    if (!loaded.SaveStatistics(text))
        return 0; // only a document of nothing but long names can outgrow the buffer
    CGameStatistics again;
    if (!again.LoadStatistics(text.data(), text.size()))
        std::abort();
    // Doubles pass "%g" once; from then on the saved text stays the same.
    std::string second;
    std::string third;
    CGameStatistics thrice;
    if (!again.SaveStatistics(second) || !thrice.LoadStatistics(second.data(), second.size()) ||
        !thrice.SaveStatistics(third) || second != third)
        std::abort();
    return 0;
}
