#include "dsp/CAnalysisMemory.h"

#include <malloc.h>

namespace dsp {

void CAnalysisMemory::KeepFreedMemory() {
    // Blocks up to 64 MiB come from the heap; up to 256 MiB of free heap is kept.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
}

} // namespace dsp
