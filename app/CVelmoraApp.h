#pragma once
// The program: the platform application and the main dialog, run until it is closed.

class CVelmoraApp {
public:
    // The process's exit code.
    static int Run(int argc, char** argv);
};
