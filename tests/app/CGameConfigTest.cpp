// The game file: fonts, texts, window mode and courses; and the score line format.
#include "GameFolder.h"

#include "app/CGameConfig.h"
#include "app/CScoreLine.h"
#include "game/CGameContext.h"

namespace {

class GameConfig : public GameFolder {
protected:
    // game.xml with both folders around the elements, or the elements alone when raw.
    bool Load(const std::string& elements, const std::string& attributes = "", bool raw = false) {
        raw ? Write("game.xml", elements) : WriteGame(elements, "", attributes);
        config = CGameConfig();
        return config.Load("game.xml", context);
    }
    game::CGameContext context;
    CGameConfig config;
};

// A font or window mode left out, or written as nothing the game can use, keeps the default.
TEST_F(GameConfig, FontAndWindowModeAsWrittenOrTheDefault) {
    const struct {
        std::string xml, attributes;
        int size;
        std::wstring face;
        bool fit;
    } cases[] = {
        {"<font size='120' name='Times'/>", "", 120, L"Times", false},
        {"<font/>", "", 140, L"Times", false},
        {"", "", 140, L"Times", false},
        {"<font size='90' name=''/>", "", 90, L"Times", false},
        {"<font size='100' name='Serif'/><font size='300' name='X'/>", "", 100, L"Serif", false},
        {"<font size='zwölf'/>", "", 140, L"Times", false},
        {"", " fit_to_screen='-3'", 140, L"Times", false},
        {"", " fit_to_screen='1'", 140, L"Times", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xml + c.attributes);
        ASSERT_TRUE(Load(c.xml, c.attributes));
        EXPECT_EQ(std::tuple(config.fontSize, config.fontName, config.fitToScreen, config.complete),
                  std::tuple(c.size, c.face, c.fit, true));
    }
}

// Texts the file leaves out keep the program's own; of two "dialogtext" the first counts.
// A course needs a title and a slide; empty slide entries are left out.
TEST_F(GameConfig, DialogTextsAndCoursesAsWritten) {
    ASSERT_TRUE(Load("<dialogtext><next>Nächste</next></dialogtext>"));
    EXPECT_EQ(config.nextCaption, L"Nächste");
    EXPECT_FALSE(config.checkCaption.has_value());
    EXPECT_EQ(config.dialogTexts, (std::map<std::wstring, std::wstring>{
                                      {L"cur_points", L"Es wurden %d von %d Punkte erreicht"},
                                      {L"rnd_course", L"Zufällige Aufgabenauswahl"},
                                      {L"highscore", L"Bestenliste"}}));
    ASSERT_TRUE(Load("<dialogtext><highscore>Top</highscore><check>Los</check>"
                     "<mainmenu>Menü</mainmenu></dialogtext>"
                     "<dialogtext><highscore>zweite</highscore></dialogtext>"
                     "<course titel='A' highscore='2'><slide>slides\\a.xml</slide><slide/>"
                     "<slide>b.xml</slide></course>"
                     "<course titel='Leer'><slide></slide></course>"
                     "<course><slide>x.xml</slide></course>"
                     "<course titel=''><slide>x.xml</slide></course>"
                     "<course titel='B' highscore='0'><slide>c.xml</slide></course>"));
    EXPECT_TRUE(config.hasDialogTexts);
    EXPECT_EQ(config.dialogTexts[L"highscore"], L"Top");
    EXPECT_EQ(config.checkCaption, L"Los");
    EXPECT_EQ(config.mainMenuCaption, L"Menü");
    std::vector<std::tuple<std::wstring, std::vector<std::wstring>, bool>> courses;
    for (const CCourse& c : config.courses)
        courses.emplace_back(c.title, c.slides, c.hasHighscore);
    EXPECT_EQ(courses, (decltype(courses){{L"A", {L"slides\\a.xml", L"b.xml"}, true},
                                          {L"B", {L"c.xml"}, false}}));
}

// Not well-formed, another root, or a folder missing: incomplete, and no course taken.
TEST_F(GameConfig, StopsEarlyKeepingWhatWasRead) {
    for (const std::string xml :
         {"<game><audioexamples>e</audioexamples><slides>s</slides>",
          "<spiel><audioexamples>e</audioexamples><slides>s</slides></spiel>",
          "<game><slides>s</slides><course titel='A'><slide>a</slide></course></game>",
          "<game><audioexamples>e</audioexamples><course "
          "titel='A'><slide>a</slide></course></game>",
          ""}) {
        EXPECT_FALSE(Load(xml, "", true)) << xml;
        EXPECT_TRUE(!config.complete && config.courses.empty()) << xml;
    }
}

TEST(CScoreLine, OnlyTwoNumbersAndPercentAreFilledIn) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"Es wurden %d von %d Punkte erreicht", L"Es wurden 5 von 7 Punkte erreicht"},
        {L"%d%% von %d", L"5% von 7"},
        {L"%s %n %x %d %d %d", L"%s %n %x 5 7 %d"},
        {L"Punkte: %", L"Punkte: %"},
        {L"", L""},
    };
    for (const auto& [format, expected] : cases)
        EXPECT_EQ(CScoreLine::Format(format, 5, 7), expected) << format;
}

} // namespace
