#pragma once
// Looks at a slide the game could show for what would mislead a player though nothing fails:
// a spectrum too narrow for its bins, which then ends below half the sample rate; curves and
// spectra that are to be matched but drawn on different scales or frequency spans; an
// expression or a number with its unit broken across two lines; a text larger than its area.
// Texts are laid out at the size the author wrote, in the slide's font.

#include "platform/WinTypes.h"
#include "tools/CSlideChecker.h"

class CFont;

namespace game {
class CContainer;
class CGameSlide;
} // namespace game

class CSlideReview {
public:
    static void Review(const game::CGameSlide& slide, const std::wstring& path,
                       CSlideChecker::Report& report);
    // "needs W x H pixels, its area has W x H pixels" when the text, wrapped in the font as its
    // control wraps it, does not fit the area; empty when it does.
    static std::string Overflow(const std::wstring& text, const CFont& font, const CRect& area);

private:
    CSlideReview(const game::CGameSlide& slide, const std::wstring& path,
                 CSlideChecker::Report& report);
    void Walk(const game::CContainer& container);
    void CheckPlots(const game::CContainer& container);
    void CheckTexts(const game::CContainer& container);
    void CheckExpressions(const std::wstring& text, int width);
    void Warn(const std::string& text);

    const game::CGameSlide& m_slide;
    const std::wstring& m_path;
    CSlideChecker::Report& m_report;
};
