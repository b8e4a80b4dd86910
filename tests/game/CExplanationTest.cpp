#include "SlideFixture.h"

#include "game/CExplanation.h"

#include <QImage>
#include <QWidget>

namespace {

using game::ERR_NONE;

// Pixels dark enough to be text in the rectangle of the slide as it is drawn now.
int DarkPixels(const game::CGameSlide& slide, const CRect& r) {
    const QImage image = slide.Widget()->grab().toImage();
    int dark = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    return dark;
}

// The reason for the answer keeps its place below the exercise but shows only once the slide
// is evaluated: before, it would give the answer away.
TEST_F(SlideFixture, ExplanationShowsOnlyOnceTheSlideIsEvaluated) {
    ASSERT_EQ(ReadTables(OneCell("<wave id='1'/>") +
                         "<explanation width='300' height='40'>Darum ist es so.</explanation>"),
              ERR_NONE);
    const auto* explanation = dynamic_cast<game::CExplanation*>(slide->Children()[1].get());
    ASSERT_NE(explanation, nullptr);
    const CRect area = explanation->GetRect();
    EXPECT_EQ(area.top, slide->Children()[0]->GetRect().bottom + 10);
    CWnd host;
    ASSERT_TRUE(host.Create(L"Host", L"", 0, CRect{0, 0, 600, 400}, nullptr, 0));
    ASSERT_EQ(slide->CreateElementWindow(&host, 1000), ERR_NONE);
    slide->ShowWindow(true);
    host.ShowWindow(true);
    EXPECT_EQ(DarkPixels(*slide, area), 0);
    slide->RevealAnswer();
    EXPECT_GT(DarkPixels(*slide, area), 50);
    EXPECT_EQ(slide->GetRect().bottom - slide->GetRect().top, area.bottom + 10);
}

} // namespace
