#pragma once
// The program: the platform application and the main dialog, run until it is closed.

class CVelmoraApp {
public:
    // The process's exit code: 0, or 2 for a command line it refuses (said on stderr).
    // "--assignment CODE" plays under an assignment.
    static int Run(int argc, char** argv);
};
