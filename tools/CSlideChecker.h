#pragma once
// Reads a game folder the way the game does, without opening a window: the configuration
// first, then every slide of every course and every slide the catalogue found, each built and
// prepared exactly as the game's slide preparer builds it. Slide authors run it before they
// ship; the test suite runs it over the bundled game.
//
// Paths are relative to the working folder, as in the game.

#include <string>
#include <vector>

namespace game {
class CGameContext;
}

class CSlideChecker {
public:
    struct Failure {
        std::wstring slide; // the path as the game names it in its message
        int code = 0;       // the element error code
        std::string limit{}; // the size limit of slides it exceeds, if that was the cause
        int element = 0;      // the id of the element that failed, 0 for the slide itself
        std::wstring reason{}; // why, when the element said so
        int line = 0;          // where in the file, for what the checker finds on its own
    };

    // What the game shows but a player would miss.
    struct Warning {
        std::wstring slide;
        std::string text;
    };

    struct Report {
        bool configLoaded = false;
        int slidesChecked = 0;
        int examplesFound = 0; // WAV files in the configured example folders
        std::vector<Failure> failures; // also what the game shows but should not
        std::vector<Warning> warnings; // never fail the check

        bool Passed() const { return configLoaded && failures.empty(); }
    };

    // Checks the game configured by configFile. When the configuration stops early, the
    // slides it named before that are still checked, as the game would still offer them.
    static Report Check(const std::string& configFile);
    // Reads one slide file with the master context as the game does; the game's failure, or
    // with code ERR_NONE when the game could show it. Then looks at what the game shows: an
    // explanation or text that overflows its area is a failure (code ERR_NONE, with line and
    // reason), an exercise without explanation a warning, and so is what CSlideReview finds.
    static void CheckSlide(const game::CGameContext& master, const std::wstring& path,
                           Report& report);

    // Which size limit of slides the file exceeds, in words; empty when none.
    static std::string LimitExceeded(const std::wstring& path);

    // The game's own wording of a failure and of a configuration it could not read; what the
    // checker finds on its own names the file and line.
    static std::string Message(const Failure& failure);
    static std::string Message(const Warning& warning);
    static const char* ConfigMessage() { return "Could not load the game options!"; }
    // The examples of the bundled game are written by the build, not kept with the sources.
    static const char* NoExamplesMessage() {
        return "The example folders hold no WAV file: on a source checkout run the build "
               "first (make build writes content/examples).";
    }
    static std::string Summary(const Report& report);
};
