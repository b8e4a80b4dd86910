#pragma once
// A plain panel element for framework tests, with the points and Prepare result a test sets.

#include "game/CElement.h"
#include "game/CElementFactory.h"
#include "platform/CDC.h"

#include <tinyxml2.h>

#include <cstring>
#include <memory>

namespace testing_panels {

class TestPanel : public game::CElement {
public:
    explicit TestPanel(game::CGameContext* context) : CElement(context) {}

    int Prepare() override { return prepareResult; }
    int GetPoints() override { return achieved < 0 ? CElement::GetPoints() : achieved; }
    int ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) override {
        if (std::strcmp(node.Name(), "wave") != 0)
            return game::ERR_XML_TITLE;
        const int result = CElement::ReadXml(node, area, style);
        m_windowClass = L"MFCTestPanel";
        area.right = m_x + m_width;
        area.bottom = m_y + m_height;
        node.QueryIntAttribute("prepare", &prepareResult);
        return result;
    }

    int prepareResult = game::ERR_NONE;
    int achieved = -1; // < 0: the points attribute

protected:
    void OnPaint(CDC& dc) override { DrawMark(dc, GetClientRect()); }
};

// Makes "wave" cells into test panels for the tests of this binary.
inline void RegisterTestPanels() {
    game::CElementFactory::Register(
        "wave", [](game::CGameContext* c) { return std::make_unique<TestPanel>(c); });
}

} // namespace testing_panels
