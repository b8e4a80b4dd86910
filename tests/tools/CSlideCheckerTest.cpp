#include "ScratchFolder.h"

#include "common/TestPanel.h"
#include "game/ElementError.h"
#include "tools/CSlideChecker.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace {

using game::ERR_COLUMNS;
using game::ERR_OPEN_SLIDE;
using game::ERR_PREPARE_FFT;
using game::ERR_UNKNOWN_ELEMENT;
using game::ERR_XML_TITLE;

using Failures = std::vector<std::pair<std::wstring, int>>;

const std::string GOOD = "<GameSlide><static>Willkommen</static><table rows='1' cols='2'>"
                         "<row shuffle='1'><static>a</static><static>b</static></row>"
                         "</table></GameSlide>";
const std::string UNCLOSED = "<GameSlide><static>offen</GameSlide>";
const std::string TOO_FEW_CELLS =
    "<GameSlide><table rows='1' cols='2'><row><static>a</static></row></table></GameSlide>";
const std::string TOO_MANY_ROWS =
    "<GameSlide><table rows='1' cols='1'><row><static>a</static></row><row><static>b</static>"
    "</row></table></GameSlide>";
const std::string UNKNOWN_CHILD = "<GameSlide><bild datei='x.png'/></GameSlide>";
const std::string WRONG_ROOT = "<Folie><static>x</static></Folie>";
// Reading ends with Prepare in the game; a cell whose Prepare fails fails the slide.
const std::string PREPARE_FAILS = "<GameSlide><table rows='1' cols='1'><row>"
                                  "<wave id='1' prepare='10'/></row></table></GameSlide>";

std::string Game(const std::string& courses) {
    return "<game><audioexamples>examples</audioexamples><slides>slides</slides>" + courses +
           "</game>";
}

std::string Course(const std::string& slides) {
    std::string xml = "<course titel='Kurs'>";
    for (std::size_t start = 0; start < slides.size();) {
        const std::size_t end = std::min(slides.find(',', start), slides.size());
        xml += "<slide>" + slides.substr(start, end - start) + "</slide>";
        start = end + 1;
    }
    return xml + "</course>";
}

struct Case {
    const char* name;
    std::map<std::string, std::string> files;
    bool configLoaded;
    int checked;
    Failures failures;
};

const Case CASES[] = {
    {"clean folder",
     {{"game.xml", Game(Course("slides/a.xml"))}, {"slides/a.xml", GOOD}, {"slides/b.xml", GOOD}},
     true,
     2,
     {}},
    {"course slide named with backslashes is read once",
     {{"game.xml", Game(Course("slides\\a.xml"))}, {"slides/a.xml", GOOD}},
     true,
     1,
     {}},
    {"broken XML in a course",
     {{"game.xml", Game(Course("slides/a.xml,slides/kaputt.xml"))},
      {"slides/a.xml", GOOD},
      {"slides/kaputt.xml", UNCLOSED}},
     true,
     2,
     {{L"slides/kaputt.xml", ERR_OPEN_SLIDE}}},
    {"table with too few cells, only in the catalogue",
     {{"game.xml", Game(Course("slides/a.xml"))},
      {"slides/a.xml", GOOD},
      {"slides/spalten.xml", TOO_FEW_CELLS}},
     true,
     2,
     {{L"slides/spalten.xml", ERR_COLUMNS}}},
    {"table with too many rows",
     {{"game.xml", Game("")}, {"slides/zeilen.xml", TOO_MANY_ROWS}},
     true,
     1,
     {{L"slides/zeilen.xml", game::ERR_ROWS}}},
    {"missing course slide named by two courses",
     {{"game.xml", Game(Course("slides/a.xml,slides/fehlt.xml") + Course("slides/fehlt.xml"))},
      {"slides/a.xml", GOOD}},
     true,
     2,
     {{L"slides/fehlt.xml", ERR_OPEN_SLIDE}}},
    {"unknown element",
     {{"game.xml", Game("")}, {"slides/a.xml", GOOD}, {"slides/bild.xml", UNKNOWN_CHILD}},
     true,
     2,
     {{L"slides/bild.xml", ERR_UNKNOWN_ELEMENT}}},
    {"course slide with the wrong root",
     {{"game.xml", Game(Course("folie.xml"))}, {"slides/a.xml", GOOD}, {"folie.xml", WRONG_ROOT}},
     true,
     2,
     {{L"folie.xml", ERR_XML_TITLE}}},
    {"cell that cannot be prepared",
     {{"game.xml", Game("")}, {"slides/welle.xml", PREPARE_FAILS}},
     true,
     1,
     {{L"slides/welle.xml", ERR_PREPARE_FFT}}},
    {"no slide for the random tasks",
     {{"game.xml", Game("")}, {"slides/liesmich.txt", "kein Folie"}},
     true,
     0,
     {{L"", ERR_OPEN_SLIDE}}},
    {"configuration without a slides folder",
     {{"game.xml",
       "<game><audioexamples>examples</audioexamples>" + Course("slides/a.xml") + "</game>"},
      {"slides/a.xml", GOOD}},
     false,
     0,
     {}},
    {"configuration with the wrong root",
     {{"game.xml", "<spiel><audioexamples>e</audioexamples><slides>slides</slides></spiel>"}},
     false,
     0,
     {}},
    {"no configuration", {{"slides/a.xml", GOOD}}, false, 0, {}},
};

Failures Sorted(const std::vector<CSlideChecker::Failure>& failures) {
    Failures pairs;
    for (const auto& failure : failures)
        pairs.emplace_back(failure.slide, failure.code);
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

TEST(SlideChecker, ReportsEverySlideTheGameCouldNotShow) {
    testing_panels::RegisterTestPanels();
    for (const Case& c : CASES) {
        ScratchFolder folder("slidecheck");
        for (const auto& [name, text] : c.files)
            folder.Write(name, text);
        folder.Enter();
        const CSlideChecker::Report report = CSlideChecker::Check("game.xml");
        EXPECT_EQ(report.configLoaded, c.configLoaded) << c.name;
        EXPECT_EQ(report.slidesChecked, c.checked) << c.name;
        Failures expected = c.failures;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(Sorted(report.failures), expected) << c.name;
        const bool clean = c.configLoaded && c.failures.empty();
        EXPECT_EQ(report.Passed(), clean) << c.name;
    }
}

TEST(SlideChecker, SpeaksWithTheGamesMessages) {
    const struct {
        CSlideChecker::Failure failure;
        std::string message;
    } cases[] = {
        {{L"slides/kaputt.xml", ERR_OPEN_SLIDE},
         "Could not load the slide slides/kaputt.xml\nError: Could not open xml slide"},
        {{L"slides/spalten.xml", ERR_COLUMNS},
         "Could not load the slide slides/spalten.xml\nError: Invalid number of colums"},
        {{L"slides/übung.xml", game::ERR_EXAMPLE_NOT_FOUND},
         "Could not load the slide slides/\xC3\xBC"
         "bung.xml\nError: Example not found"},
        {{L"", ERR_OPEN_SLIDE}, "Could not load the slide \nError: Could not open xml slide"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CSlideChecker::Message(c.failure), c.message);
    EXPECT_STREQ(CSlideChecker::ConfigMessage(), "Could not load the game options!");
}

} // namespace
