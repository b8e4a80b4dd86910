#include "SlideFixture.h"

#include "game/CExplanation.h"

// The reason for the answer keeps its place below the exercise but shows only once the slide
// is evaluated: before, it would give the answer away.
TEST_F(SlideFixture, ExplanationShowsOnlyOnceTheSlideIsEvaluated) {
    Show(OneCell("<wave id='1'/>") +
         "<explanation width='300' height='40'>Darum ist es so.</explanation>");
    const auto* explanation = dynamic_cast<game::CExplanation*>(slide->Children().at(1).get());
    ASSERT_NE(explanation, nullptr);
    const CRect area = explanation->GetRect();
    EXPECT_EQ(area.top, slide->Children()[0]->GetRect().bottom + 10);
    EXPECT_EQ(CountDark(slide->Widget()->grab().toImage(), area), 0);
    slide->RevealAnswer();
    EXPECT_GT(CountDark(slide->Widget()->grab().toImage(), area), 50);
    EXPECT_EQ(slide->GetRect().bottom - slide->GetRect().top, area.bottom + 10);
}
