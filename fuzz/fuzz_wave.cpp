// WAV reading: any bytes as an example file. The signal either loads with samples in [-1, 1]
// and a consistent format, or refuses; nothing else may happen.

#include "fuzz/FuzzFile.h"

#include "dsp/CSignal.h"
#include "platform/CText.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static CFuzzFile file;
    const std::wstring path = CText::ToWide(file.Write(data, size));
    dsp::CSignal signal;
    if (signal.LoadWave(path) != 0)
        return 0;
    const float* samples = signal.GetSamples();
    for (int i = 0; i < signal.GetSampleCount(); ++i)
        if (!(std::fabs(samples[i]) <= 1.0f))
            std::abort();
    return 0;
}
