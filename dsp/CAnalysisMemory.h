#pragma once
// Analysis matrices of a few megabytes come and go with every slide and every filter change.
// Left to its defaults, the C library maps each one fresh from the system and pays a page
// fault per 4 KiB; kept in the heap, freed matrices are reused at once.

namespace dsp {

class CAnalysisMemory {
public:
    // Call once at program start, before the first analysis.
    static void KeepFreedMemory();
};

} // namespace dsp
