#pragma once
// A small numbered tag that shows the answer once a slide is evaluated. On a panel that
// stands in a wrong cell it is filled (white number on black); on the cell where that panel
// belongs it is framed with dashes (black number on white). Shape and contrast tell the two
// apart, not colour, so they read alike under every kind of colour blindness.

#include "platform/CFont.h"
#include "platform/CWnd.h"

class CDC;

namespace game {

class CAnswerBadge : public CWnd {
public:
    enum class EKind {
        Panel, // this panel is number n
        Place, // number n belongs here
    };

    CAnswerBadge(EKind kind, int number);
    ~CAnswerBadge() override;

    // Makes the badge's window over the parent's children, its top-left corner at the point.
    bool Create(CWnd& parent, CPoint topLeft);
    // Room for the number's digits.
    static CSize SizeFor(int number);
    // A one-pixel frame of short dashes just inside rect, in the selected pen.
    static void DrawDashedFrame(CDC& dc, const CRect& rect);

protected:
    void OnPaint(CDC& dc) override;
    bool OnEraseBkgnd(CDC& dc) override;

private:
    EKind m_kind;
    int m_number;
    CFont m_font;
};

} // namespace game
