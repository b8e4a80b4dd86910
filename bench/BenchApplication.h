#pragma once
// The window system of the benchmark process, made once on first use (offscreen unless a
// display platform is chosen). It is never destroyed: a window system torn down after main has
// returned is not worth the trouble in a benchmark.

#include "platform/CApplication.h"

#include <cstdlib>

namespace benchsignals {

inline void EnsureApplication() {
    static int argc = 1;
    static char name[] = "velmora_bench";
    static char* argv[] = {name, nullptr};
    static const CApplication* application = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new CApplication(argc, argv);
    }();
    (void)application;
}

} // namespace benchsignals
