#include "SlideCheck.h"

#include "game/ElementError.h"
#include "platform/CText.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>

namespace {

using namespace game;
using namespace slidecheck;

const std::string GOOD = "<GameSlide><static>Willkommen</static><table rows='1' cols='2'>"
                         "<row shuffle='1'><static>a</static><static>b</static></row>"
                         "</table></GameSlide>";

// Every filter element: a hidden fixed filter, a notch, a pole-zero plot, all on a real example.
const std::string FILTERS =
    "<GameSlide><hidden><afilter id='4' example_from='3'><b order='2'>1 1</b></afilter></hidden>"
    "<table rows='1' cols='4'><row><spectrum id='1' example='examples/ton.wav'/>"
    "<notch id='2' example_from='1' spec_in='1'/><polezero id='3' example_from='2'/>"
    "<spectrogram id='5' example_from='4'/></row></table></GameSlide>";

// The start of the checker's message for the slide failing with the code.
std::string Fails(const std::wstring& slide, int code) {
    return CSlideChecker::Message(CSlideChecker::Failure{slide, code});
}

// Every slide of the courses and the catalogue, each file once, with the game's own verdict;
// an exercise should say why its answer is right, all of it readable, and a broken explanation
// is refused by the game, the author learning the file and the line.
TEST(SlideChecker, ReportsEverySlideTheGameCouldNotShowAndEveryUnreadableExplanation) {
    const std::string table = "<GameSlide><table rows='1' cols='";
    const std::string exercise = "<GameSlide>\n<table rows='1' cols='1'><row><spectrum id='1' "
                                 "example='examples/ton.wav'/></row></table>\n";
    const auto explained = [&](const std::string& attributes, const std::string& text) {
        return std::map<std::string, std::string>{
            {"game.xml", Game({})}, {"examples/ton.wav", Tone()},
            {"slides/a.xml", exercise + "<explanation " + attributes + ">" + text +
                                 "</explanation></GameSlide>"}};
    };
    const auto Topic = [](const std::string& attributes) {
        return std::map<std::string, std::string>{
            {"game.xml", Game({})}, {"slides/a.xml", "<GameSlide " + attributes + "/>"}};
    };
    const std::string unknown = Fails(L"slides/a.xml", ERR_UNKNOWN_ELEMENT);
    const std::string line3 = "\nReason: Die Erklärung in Zeile 3 ";
    const struct {
        int checked; // -1: the configuration is not loaded
        const char* name;
        std::map<std::string, std::string> files;
        std::vector<std::string> messages; // each the start of a message, in order
    } cases[] = {
        {2, "clean folder",
         {{"game.xml", Game({"slides/a.xml"})}, {"slides/a.xml", GOOD}, {"slides/b.xml", GOOD}},
         {}},
        {1, "course slide named with backslashes is read once",
         {{"game.xml", Game({"slides\\a.xml"})}, {"slides/a.xml", GOOD}}, {}},
        {2, "broken XML in a course",
         {{"game.xml", Game({"slides/kaputt.xml"})}, {"slides/a.xml", GOOD},
          {"slides/kaputt.xml", "<GameSlide><static>offen</GameSlide>"}},
         {Fails(L"slides/kaputt.xml", ERR_OPEN_SLIDE)}},
        {2, "missing course slide named twice",
         {{"game.xml", Game({"slides/a.xml", "slides/fehlt.xml", "slides/fehlt.xml"})},
          {"slides/a.xml", GOOD}},
         {Fails(L"slides/fehlt.xml", ERR_OPEN_SLIDE)}},
        {2, "course slide with the wrong root",
         {{"game.xml", Game({"folie.xml"})}, {"slides/a.xml", GOOD},
          {"folie.xml", "<Folie><static>x</static></Folie>"}},
         {Fails(L"folie.xml", ERR_XML_TITLE)}},
        {1, "filter elements",
         {{"game.xml", Game({})}, {"examples/ton.wav", Tone()}, {"slides/filter.xml", FILTERS}},
         {"Warning: slides/filter.xml: gives points"}},
        {2, "fixed filter without coefficients and a notch without input",
         {{"game.xml", Game({"slides/b.xml"})}, {"examples/ton.wav", Tone()},
          {"slides/a.xml", table + "2'><row><spectrum id='1' example='examples/ton.wav'/>"
                                   "<afilter id='2' example_from='1'/></row></table></GameSlide>"},
          {"slides/b.xml", table + "1'><row><notch id='2' example_from='9'/></row></table>"
                                   "</GameSlide>"}},
         {Fails(L"slides/b.xml", ERR_EXAMPLE_NOT_FOUND), Fails(L"slides/a.xml", ERR_MISSING_ELEMENT)}},
        {0, "no slide for the random tasks",
         {{"game.xml", Game({})}, {"slides/liesmich.txt", "kein Folie"}},
         {Fails(L"", ERR_OPEN_SLIDE)}},
        {-1, "configuration without a slides folder",
         {{"game.xml", "<game><audioexamples>examples</audioexamples></game>"},
          {"slides/a.xml", GOOD}},
         {}},
        {-1, "no configuration", {{"slides/a.xml", GOOD}}, {}},
        {1, "explained, wrapped into its width",
         explained("width='150' height='200'", "Weil es so ist und nicht anders, darum."), {}},
        {1, "a text needs no explanation",
         {{"game.xml", Game({})}, {"slides/a.xml", GOOD}}, {}},
        {1, "exercise without explanation",
         {{"game.xml", Game({})}, {"examples/ton.wav", Tone()},
          {"slides/a.xml", exercise + "</GameSlide>"}},
         {"Warning: slides/a.xml: gives points (1) but has no explanation"}},
        {1, "text taller than its area",
         explained("width='120' height='20'", "Weil es so ist.\\nUnd nicht anders."),
         {"Error: slides/a.xml:3: the explanation needs "}},
        {1, "word wider than its area", explained("width='20' height='200'", "Tiefpassfilter"),
         {"Error: slides/a.xml:3: the explanation needs "}},
        {1, "empty", explained("", " "),
         {Fails(L"slides/a.xml", ERR_MISSING_ELEMENT) + line3 + "hat keinen Text."}},
        {1, "zero width", explained("width='0' height='60'", "Weil."),
         {unknown + line3 + "ist 0 × 60 Pixel groß; erlaubt sind 1 bis 2000 Pixel."}},
        {1, "negative height", explained("height='-5'", "Weil."),
         {unknown + line3 + "ist 256 × -5 Pixel"}},
        {1, "absurd width", explained("width='50000'", "Weil."),
         {unknown + line3 + "ist 50000 × 128 Pixel"}},
        {1, "topic and level", Topic("topic='Pole und Nullstellen' level='3'"), {}},
        {1, "unknown topic", Topic("topic='spektrum' level='2'"),
         {"Error: slides/a.xml:1: unknown topic \"spektrum\"; known are: \"Einführung\""}},
        {1, "level above the top", Topic("topic='Spektrum' level='4'"),
         {"Error: slides/a.xml:1: level \"4\" is not a whole number from 1 to 3"}},
        {1, "level no number", Topic("level='zwei'"), {"Error: slides/a.xml:1: level \"zwei\""}},
        {1, "second explanation",
         explained("", "Weil.</explanation>\n<explanation>Noch einmal."),
         {unknown + "\nReason: Die Erklärung in Zeile 4 ist schon die zweite"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CSlideChecker::Report report = Check(c.files);
        EXPECT_EQ(report.configLoaded, c.checked >= 0);
        EXPECT_EQ(report.slidesChecked, std::max(c.checked, 0));
        const std::vector<std::string> messages = Messages(report);
        ASSERT_EQ(messages.size(), c.messages.size());
        bool warningsOnly = c.checked >= 0;
        for (std::size_t i = 0; i < messages.size(); ++i) {
            EXPECT_EQ(messages[i].substr(0, c.messages[i].size()), c.messages[i]);
            warningsOnly = warningsOnly && messages[i].starts_with("Warning: ");
        }
        EXPECT_EQ(report.Passed(), warningsOnly);
    }
}

// What a player would be misled by though the slide loads: a spectrum that stops short of
// half the sample rate, curves and spectra to be matched on different scales or spans, an
// expression broken across lines, a text larger than its area.
TEST(SlideChecker, WarnsOfWhatWouldMisleadThePlayer) {
    const auto slide = [](const std::string& body) {
        return std::map<std::string, std::string>{
            {"game.xml", Game({})}, {"examples/ton.wav", Tone()},
            {"slides/a.xml", "<GameSlide>" + body + "<explanation width='800' height='60'>"
                             "Darum.</explanation></GameSlide>"}};
    };
    const auto spectrum = [](int id, const std::string& attributes) {
        return "<spectrum id='" + std::to_string(id) + "' switch='1' example_from='1' " +
               attributes + "/>";
    };
    const auto matched = [&](const std::string& filter, const std::string& spectra) {
        return slide("<table rows='2' cols='2'><row><afilter id='1' width='205' " + filter +
                     " example='examples/ton.wav'><b order='2'>1 1</b></afilter><afilter id='2' "
                     "width='205' " + filter + " example_from='1'><b order='2'>1 -1</b>"
                     "</afilter></row><row>" + spectrum(3, spectra) + spectrum(4, spectra) +
                     "</row></table>");
    };
    // Spectra of the wave 1 in a table.
    const auto row = [&](const std::string& spectra, int cols = 3) {
        return slide("<table rows='1' cols='" + std::to_string(cols) +
                     "'><row><wave id='1' example='examples/ton.wav'/>" + spectra +
                     "</row></table>");
    };
    const std::string warn = "Warning: slides/a.xml: ", text = "<static width='100' height='300'>";
    const struct {
        const char* name;
        std::map<std::string, std::string> files;
        std::vector<std::string> messages; // each the start of a message, in order
    } cases[] = {
        {"every bin shown", row(spectrum(2, "width='205'") + spectrum(3, "width='256'")), {}},
        {"bins left out", row(spectrum(2, "width='220'") + spectrum(3, "width='205'")),
         {warn + "element 2: 220 columns leave out the last 145 of 1025 bins, so the spectrum "
                 "shows 0-3434 Hz of 0-4000 Hz",
          warn + "curves and spectra to be matched span different frequencies"}},
        {"filter input shown in too few columns",
         row("<afilter id='2' spec_in='1' width='220' example_from='1'><b order='2'>1 1</b>"
             "</afilter>", 2),
         {warn + "element 2: 220 columns leave out the last 145"}},
        {"matched on one scale", matched("scale='log'", "width='205' scale='log'"), {}},
        {"matched on two scales", matched("", "width='205' scale='log'"),
         {warn + "curves and spectra to be matched are on different scales: linear 1, 2, "
                 "logarithmic 3, 4"}},
        {"matched over two spans", matched("", "width='220'"),
         {warn + "element 3: 220 columns", warn + "element 4: 220 columns",
          warn + "curves and spectra to be matched span different frequencies: element 3 "
                 "0-3434 Hz, element 2 0-4000 Hz"}},
        {"expression on one line", slide(text + "Hier ist z = 1 und f = 440 Hz.</static>"), {}},
        {"expression broken", slide(text + "a = b = c = d = e = f = g = h = i = j</static>"),
         {warn + "\"a = b = c = d = e = f = g = h = i = j\" breaks across two lines"}},
        {"expression broken in the explanation",
         {{"game.xml", Game({})},
          {"slides/a.xml", "<GameSlide><explanation width='100' height='300'>a = b = c = d = e = "
                           "f = g = h = i = j</explanation></GameSlide>"}},
         {warn + "\"a = b = c = d = e = f = g = h = i = j\" breaks"}},
        {"line break written inside", slide(text + "a = b = c = d =\\ne = f = g</static>"), {}},
        {"text larger than its area", slide("<static width='40' height='20'>Tiefpass</static>"),
         {"Error: slides/a.xml: the text \"Tiefpass\" needs "}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> messages = Messages(Check(c.files));
        ASSERT_EQ(messages.size(), c.messages.size()) << (messages.empty() ? "" : messages[0]);
        for (std::size_t i = 0; i < messages.size(); ++i)
            EXPECT_EQ(messages[i].substr(0, c.messages[i].size()), c.messages[i]);
    }
}

// An author reads the game's own messages, and which limit a slide broke.
TEST(SlideChecker, SpeaksWithTheGamesMessagesAndNamesTheLimit) {
    std::string many = "<GameSlide>";
    for (int i = 0; i < 2500; ++i)
        many += "<static/>";
    const CSlideChecker::Report report =
        Check({{"game.xml", Game({})},
               {"slides/viele.xml", many + "</GameSlide>"},
               {"slides/breit.xml", "<GameSlide><static width='2000000000'/></GameSlide>"}});
    std::vector<std::string> messages = Messages(report);
    std::sort(messages.begin(), messages.end());
    const std::string cannot = "Could not load the slide slides/";
    EXPECT_EQ(messages,
              (std::vector<std::string>{cannot + "breit.xml\nError: Memory alocation error\n"
                                                 "Limit: width beyond 100000 pixels",
                                        cannot + "viele.xml\nError: Memory alocation error\n"
                                                 "Limit: more than 2000 elements"}));
    EXPECT_EQ(CSlideChecker::Message({L"slides/übung.xml", ERR_COLUMNS}),
              cannot + "\xC3\xBC"
                       "bung.xml\nError: Invalid number of colums");
    EXPECT_STREQ(CSlideChecker::ConfigMessage(), "Could not load the game options!");
    EXPECT_EQ(CSlideChecker::Summary(report), "2 slides checked, 2 failed");
    EXPECT_EQ(CSlideChecker::Summary({}), "0 slides checked, 0 failed, game options not loaded");
}

// Help, an unknown option, a checkout before the build wrote its examples, a slide's picture.
TEST(SlideTools, AnswerHelpRefuseUnknownOptionsAndSayWhatIsMissing) {
    CTempFolder unbuilt;
    unbuilt.Write("game.xml", Game({"slides/a.xml"}));
    unbuilt.Write("slides/a.xml", "<GameSlide><table rows='1' cols='1'><row><wave id='1' "
                                  "example='examples/ton.wav'/></row></table></GameSlide>");
    const std::string slide = CText::ToNarrow(unbuilt.Write(
        "b.xml", "<GameSlide><static width='300' height='60'>Willkommen im Spiel</static>"
                 "</GameSlide>"));
    const std::string folder = CText::ToNarrow(unbuilt.Folder()), image = folder + "/b.png";
    const std::string check = SLIDECHECK_PROGRAM, view = SLIDEVIEWER_PROGRAM;
    const struct {
        std::string arguments;
        int status;
        const char* output;
    } cases[] = {
        {check + " --help", 0, "usage: slidecheck"},
        {check + " -h", 0, "usage: slidecheck"},
        {check + " --verbose", 2, "usage: slidecheck"},
        {view + " --help", 0, "usage: slideviewer"},
        {view + " slide.xml -h", 0, "usage: slideviewer"},
        {view + " --zoom slide.xml", 2, "usage: slideviewer"},
        {check + " '" + folder + "'", 1, "run the build first"},
        {view + " '" + slide + "' --grab '" + image + "'", 0, ""},
    };
    for (const auto& c : cases) {
        const Outcome run = RunCommand(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments;
        EXPECT_NE(run.output.find(c.output), std::string::npos) << c.arguments << "\n" << run.output;
    }
    const QImage grabbed(QString::fromStdString(image));
    int ink = 0;
    for (int y = 0; y < grabbed.height(); ++y)
        for (int x = 0; x < grabbed.width(); ++x)
            ink += qGray(grabbed.pixel(x, y)) < 100;
    EXPECT_GT(ink, 50) << "the text's letters";
}

} // namespace
