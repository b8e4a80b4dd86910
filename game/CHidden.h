#pragma once
// An invisible container of fixed filters that prepare signals for other elements of the slide.

#include "game/CContainer.h"

namespace game {

class CHidden : public CContainer {
public:
    explicit CHidden(CGameContext* context);

    // Only the container's own rectangle: its filters have no place on screen.
    void ScaleVertical(float factor) override { CElement::ScaleVertical(factor); }
    void ScaleHorizontal(float factor) override { CElement::ScaleHorizontal(factor); }
    int GetPoints() override { return 0; }
    int GetMaxPoints() override { return 0; }
    int ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) override;
    int CreateElementWindow(CWnd* parent, UINT id) override;
};

} // namespace game
