#pragma once
// A plain panel element for framework tests, with the points and Prepare result a test sets.

#include "game/CElement.h"
#include "game/CElementFactory.h"
#include "platform/CDC.h"

#include <tinyxml2.h>

#include <cstring>
#include <memory>
#include <string>

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

// While it lives, the factory makes elements of the tag with maker; then the kind it had
// comes back, so no test leaves another test a different factory.
class CScopedKind {
public:
    CScopedKind(std::string tag, game::CElementFactory::Maker maker)
        : m_tag(std::move(tag)), m_previous(game::CElementFactory::Register(m_tag, std::move(maker))) {}
    ~CScopedKind() { game::CElementFactory::Register(m_tag, std::move(m_previous)); }
    CScopedKind(const CScopedKind&) = delete;
    CScopedKind& operator=(const CScopedKind&) = delete;

private:
    std::string m_tag;
    game::CElementFactory::Maker m_previous;
};

// "wave" cells as test panels.
class CTestPanels : public CScopedKind {
public:
    CTestPanels()
        : CScopedKind("wave", [](game::CGameContext* c) { return std::make_unique<TestPanel>(c); }) {}
};

} // namespace testing_panels
