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
    static int Resolve(game::CGameContext& in, const std::string& element, int ownId) {
        tinyxml2::XMLDocument document;
        document.Parse(element.c_str());
        return in.ResolveExample(*document.RootElement(), ownId);
    }
    CTempFolder examples;
    game::CGameContext context;
};

// An element finds its example by file, by another element's id, or at random with "*".
TEST_F(Catalogue, ResolvingExamples) {
    examples.Write("ton.wav", CWaveBytes::Mono16({0, 1000, -1000, 0}));
    context.AddExampleFolder(examples.Folder());
    const std::string path =
        CText::ToNarrow(examples.Write("direkt.wav", CWaveBytes::Mono16({1, 2, 3})));
    const struct {
        std::string element;
        int ownId;
        int result;
        bool loaded; // a signal under ownId afterwards
    } cases[] = {
        {"<wave example='*' example_from='3'/>", 5, 5, true}, // "*" wins
        {"<wave example='" + path + "'/>", 6, 6, true},
        {"<wave example='" + path + ".fehlt'/>", 7, 0, false},
        {"<wave example_from='3'/>", 8, 3, false},
        {"<wave example='' example_from='4'/>", 9, 4, false},
        {"<wave example_from='0'/>", 10, 0, false},
        {"<wave example_from='-2'/>", 11, 0, false},
        {"<wave example_from='drei'/>", 12, 0, false},
        {"<wave/>", 13, 0, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Resolve(context, c.element, c.ownId), c.result) << c.element;
        EXPECT_EQ(context.FindSignal(c.ownId) != nullptr, c.loaded) << c.element;
    }
    EXPECT_EQ(context.FindSignal(6)->GetSampleCount(), 3);
    game::CGameContext empty; // without any example, "*" finds nothing
    EXPECT_EQ(Resolve(empty, "<wave example='*'/>", 1), 0);
}

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
