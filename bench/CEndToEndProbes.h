#pragma once
// Figures that need a fresh process: this benchmark program started again with --probe=menu,
// --probe=memory or --probe=analyses (for bench/compare_scipy.py) in a prepared folder. The child prints its milestones as
// readings of the system's monotonic clock in milliseconds (comparable across processes);
// the parent starts it, reads them and reports the figures.

#include <string>
#include <vector>

class CEndToEndProbes {
public:
    // True when the arguments ask for a probe; then Run is what main returns.
    static bool IsProbe(int argc, char** argv);
    static int Run(int argc, char** argv);

    // Starts this program with --probe=kind in folder and returns the numbers it printed
    // (empty when it failed); started is the clock reading just before the start.
    static std::vector<double> Spawn(const std::string& kind, const std::string& folder,
                                     double& started);
    // Milliseconds of the monotonic clock.
    static double NowMs();

private:
    static int RunMenu();
    static int RunMemory();
    static int RunAnalyses();
};
