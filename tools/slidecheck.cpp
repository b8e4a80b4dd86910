// Checks a game folder: reads its game.xml and every slide with the game's own code and
// prints the game's message for each slide it could not show, then a warning for each
// exercise that does not explain its answer. Needs no display.
//
//   slidecheck [GAME_FOLDER]      (default: the working folder)
//
// Exit status 0 when the configuration and every slide load (warnings do not count), 1
// otherwise, 2 on bad usage.

#include "tools/CSlideChecker.h"

#include "platform/CApplication.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: slidecheck [GAME_FOLDER]\n");
        return 2;
    }
    const char* folder = argc == 2 ? argv[1] : ".";
    // Slides and examples are named relative to the game's working folder.
    if (::chdir(folder) != 0) {
        std::fprintf(stderr, "slidecheck: cannot enter %s: %s\n", folder, std::strerror(errno));
        return 1;
    }
    // Elements may use the platform while they prepare; it must never need a screen here.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    CApplication application(argc, argv);

    const CSlideChecker::Report report = CSlideChecker::Check("game.xml");
    if (!report.configLoaded)
        std::printf("%s\n", CSlideChecker::ConfigMessage());
    for (const CSlideChecker::Failure& failure : report.failures)
        std::printf("%s\n", CSlideChecker::Message(failure).c_str());
    for (const CSlideChecker::Warning& warning : report.warnings)
        std::printf("%s\n", CSlideChecker::Message(warning).c_str());
    std::printf("%s\n", CSlideChecker::Summary(report).c_str());
    return report.Passed() ? 0 : 1;
}
