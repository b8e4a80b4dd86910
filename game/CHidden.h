#pragma once
// An invisible container of fixed filters that prepare signals for other elements of the slide.

#include "game/CElement.h"

#include <memory>
#include <vector>

namespace game {

class CHidden : public CElement {
public:
    explicit CHidden(CGameContext* context);
    ~CHidden() override;

    int GetPoints() override { return 0; }
    int GetMaxPoints() override { return 0; }
    int Prepare() override;
    int ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) override;
    int CreateElementWindow(CWnd* parent, UINT id) override;
    bool DestroyWindow() override;

private:
    std::vector<std::unique_ptr<CElement>> m_children; // document order
};

} // namespace game
