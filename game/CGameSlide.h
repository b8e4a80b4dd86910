#pragma once
// One page of the game, read from a slide file: tables and texts stacked vertically and
// centred, hidden containers beside them. The slide owns its copy of the context.

#include "game/CContainer.h"

#include <memory>
#include <string>
#include <vector>

namespace game {

class CGameContext;

class CGameSlide : public CContainer {
public:
    CGameSlide(const CGameContext& master, std::wstring name);
    ~CGameSlide() override;

    int GetPoints() override;
    int ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) override;
    int CreateElementWindow(CWnd* parent, UINT id) override;

    // Scales the slide about its top-left corner to the rectangle's size.
    void FitToArea(const CRect& area);
    std::wstring GetName() const { return m_name; }
    bool IsReady() const { return m_ready; }
    CGameContext& Context() const { return *m_ownContext; }

private:
    // The space offered to the slide and the extent of what was stacked so far.
    struct Layout {
        int availWidth;
        int availHeight;
        int maxRight = 0;
        int maxBottom = 0;
    };
    void ReadOptions(const tinyxml2::XMLElement& root);
    int ReadChild(const tinyxml2::XMLElement& child, Layout& layout, DWORD style);
    void CentreHorizontally();

    std::unique_ptr<CGameContext> m_ownContext;
    bool m_ready = false;
    std::wstring m_name;
};

} // namespace game
