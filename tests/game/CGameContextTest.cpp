#include "common/CTempFolder.h"
#include "common/CWaveBytes.h"
#include "dsp/CSignal.h"
#include "game/CGameContext.h"
#include "platform/CRandom.h"
#include "platform/CText.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <set>

class Catalogue : public ::testing::Test {
protected:
    CTempFolder examples;
    game::CGameContext context;
};

// Only readable game slides are listed, in folder and name order; copies share the pool.
TEST_F(Catalogue, SlideFoldersListOnlyGameSlidesInFolderOrder) {
    CTempFolder first, second;
    first.Write("b.xml", "<GameSlide/>");
    first.Write("a.XML", "<GameSlide><static/></GameSlide>");
    first.Write("kurs.xml", "<course/>");
    first.Write("kaputt.xml", "<GameSlide>");
    second.Write("c.xml", "<GameSlide/>");
    EXPECT_EQ(context.AddSlideFolder(first.Folder()), 2);
    EXPECT_EQ(context.AddSlideFolder(second.Folder()), 1);
    EXPECT_EQ(context.AddSlideFolder(L"/no/such/folder"), 0);
    ASSERT_EQ(context.AllSlides().size(), 3u);
    EXPECT_EQ(context.AllSlides()[0], first.Folder() + L"/a.XML");
    EXPECT_EQ(context.AllSlides()[1], first.Folder() + L"/b.xml");
    EXPECT_EQ(context.AllSlides()[2], second.Folder() + L"/c.xml");
    // A slide's copy shares the catalogue: a pick through it leaves the master's pool shorter.
    auto copy = game::CGameContext::CopyOf(context);
    std::set<std::wstring> picked{copy->GetRandomSlide(), context.GetRandomSlide(),
                                  copy->GetRandomSlide()};
    EXPECT_EQ(picked.size(), 3u);
}

// Random tasks draw only slides with something to evaluate, over a new cycle too; without any
// exercise they still get slides.
TEST_F(Catalogue, RandomTasksDrawOnlyExercises) {
    const auto table = [](const std::string& cell) {
        return "<GameSlide><static/><table rows='1' cols='1'><row>" + cell +
               "</row></table></GameSlide>";
    };
    CTempFolder slides, texts;
    for (CTempFolder* folder : {&slides, &texts})
        folder->Write("text.xml", "<GameSlide><static>Hallo</static></GameSlide>");
    slides.Write("demo.xml", table("<wave id='1' points='0'/>"));
    slides.Write("ohne_id.xml", table("<wave points='1'/>"));
    slides.Write("versteckt.xml", "<GameSlide><hidden><afilter id='2'/></hidden></GameSlide>");
    slides.Write("aufgabe1.xml", table("<wave id='1'/>"));
    slides.Write("aufgabe2.xml", table("<spectrum id='3' points='2'/>"));
    EXPECT_EQ(context.AddSlideFolder(slides.Folder()), 6);
    std::multiset<std::wstring> picked;
    for (int i = 0; i < 4; ++i)
        picked.insert(context.GetRandomSlide());
    const std::wstring one = slides.Folder() + L"/aufgabe1.xml";
    const std::wstring two = slides.Folder() + L"/aufgabe2.xml";
    EXPECT_EQ(picked, (std::multiset<std::wstring>{one, one, two, two}));
    game::CGameContext textsOnly;
    textsOnly.AddSlideFolder(texts.Folder());
    EXPECT_EQ(textsOnly.GetRandomSlide(), texts.Folder() + L"/text.xml");
}
