// The game file: fonts, texts, window mode and courses; and the score line format.
#include "GameFolder.h"

#include "app/CGameConfig.h"
#include "app/CScoreLine.h"
#include "game/CGameContext.h"

namespace {

class GameConfig : public GameFolder {
protected:
    bool Load(const std::string& gameXml) {
        Write("game.xml", gameXml);
        config = CGameConfig();
        return config.Load("game.xml", context);
    }
    static std::string Game(const std::string& inner, const std::string& attributes = "") {
        return "<game " + attributes + "><audioexamples>examples</audioexamples>" +
               "<slides>slides</slides>" + inner + "</game>";
    }
    game::CGameContext context;
    CGameConfig config;
};

TEST_F(GameConfig, FontsTextsAndWindowMode) {
    const struct {
        std::string xml;
        int size;
        std::wstring face;
        bool fit;
    } cases[] = {
        {Game("<font size='120' name='Times'/>"), 120, L"Times", false},
        {Game("<font/>"), 140, L"Times", false},
        {Game(""), 140, L"Times", false},
        {Game("<font size='90' name=''/>"), 90, L"Times", false},
        {Game("<font size='100' name='Serif'/><font size='300' name='X'/>"), 100, L"Serif", false},
        {Game("<font size='zwölf'/>"), 140, L"Times", false},
        {Game("", "fit_to_screen='-3'"), 140, L"Times", false},
        {Game("", "fit_to_screen='1'"), 140, L"Times", true},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Load(c.xml)) << c.xml;
        EXPECT_EQ(config.fontSize, c.size) << c.xml;
        EXPECT_EQ(config.fontName, c.face) << c.xml;
        EXPECT_EQ(config.fitToScreen, c.fit) << c.xml;
        EXPECT_TRUE(config.complete) << c.xml;
    }
}

// Texts the file leaves out keep the program's own; of two "dialogtext" the first counts.
// A course needs a title and a slide; empty slide entries are left out.
TEST_F(GameConfig, DialogTextsAndCoursesAsWritten) {
    ASSERT_TRUE(Load(Game("<dialogtext><next>Nächste</next></dialogtext>")));
    EXPECT_EQ(config.nextCaption, L"Nächste");
    EXPECT_FALSE(config.checkCaption.has_value());
    EXPECT_EQ(config.dialogTexts, (std::map<std::wstring, std::wstring>{
                                      {L"cur_points", L"Es wurden %d von %d Punkte erreicht"},
                                      {L"rnd_course", L"Zufällige Aufgabenauswahl"},
                                      {L"highscore", L"Bestenliste"}}));
    ASSERT_TRUE(Load(Game("<dialogtext><highscore>Top</highscore><check>Los</check>"
                          "<mainmenu>Menü</mainmenu></dialogtext>"
                          "<dialogtext><highscore>zweite</highscore></dialogtext>"
                          "<course titel='A' highscore='2'><slide>slides\\a.xml</slide><slide/>"
                          "<slide>b.xml</slide></course>"
                          "<course titel='Leer'><slide></slide></course>"
                          "<course><slide>x.xml</slide></course>"
                          "<course titel=''><slide>x.xml</slide></course>"
                          "<course titel='B' highscore='0'><slide>c.xml</slide></course>")));
    EXPECT_TRUE(config.hasDialogTexts);
    EXPECT_EQ(config.dialogTexts[L"highscore"], L"Top");
    EXPECT_EQ(config.checkCaption, L"Los");
    EXPECT_EQ(config.mainMenuCaption, L"Menü");
    ASSERT_EQ(config.courses.size(), 2u);
    EXPECT_EQ(config.courses[0].title, L"A");
    EXPECT_EQ(config.courses[0].slides, (std::vector<std::wstring>{L"slides\\a.xml", L"b.xml"}));
    EXPECT_TRUE(config.courses[0].hasHighscore);
    EXPECT_EQ(config.courses[1].title, L"B");
    EXPECT_FALSE(config.courses[1].hasHighscore);
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
        EXPECT_FALSE(Load(xml)) << xml;
        EXPECT_FALSE(config.complete);
        EXPECT_TRUE(config.courses.empty());
    }
}

TEST(CScoreLine, OnlyTwoNumbersAndPercentAreFilledIn) {
    const struct {
        std::wstring format;
        std::wstring expected;
    } cases[] = {
        {L"Es wurden %d von %d Punkte erreicht", L"Es wurden 5 von 7 Punkte erreicht"},
        {L"%d%% von %d", L"5% von 7"},
        {L"%s %n %x %d %d %d", L"%s %n %x 5 7 %d"},
        {L"Punkte: %", L"Punkte: %"},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CScoreLine::Format(c.format, 5, 7), c.expected) << c.format;
}

} // namespace
