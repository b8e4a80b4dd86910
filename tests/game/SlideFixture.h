#pragma once
// Reads slide documents from strings the way the game does and keeps them for inspection.

#include "common/TestPanel.h"
#include "game/CGameContext.h"
#include "game/CGameSlide.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <memory>
#include <string>

class SlideFixture : public ::testing::Test {
protected:
    // The result code of reading xml into a new slide offered the area.
    int Read(const std::string& xml, CRect area = CRect{0, 0, 1000, 1000}) {
        document = std::make_unique<tinyxml2::XMLDocument>(true, tinyxml2::COLLAPSE_WHITESPACE);
        if (document->Parse(xml.c_str()) != tinyxml2::XML_SUCCESS)
            return -1;
        slide = std::make_unique<game::CGameSlide>(master, L"test");
        offered = area;
        return slide->ReadXml(*document->RootElement(), offered, WS_CHILD);
    }

    int ReadTables(const std::string& blocks) {
        return Read("<GameSlide>" + blocks + "</GameSlide>");
    }
    // A table of the one cell.
    static std::string OneCell(const std::string& cell) {
        return "<table rows='1' cols='1'><row>" + cell + "</row></table>";
    }
    template <typename T = testing_panels::TestPanel> T* Panel(int id) {
        return dynamic_cast<T*>(slide->Context().FindElement(id));
    }

    testing_panels::CTestPanels panels;
    game::CGameContext master;
    std::unique_ptr<tinyxml2::XMLDocument> document;
    std::unique_ptr<game::CGameSlide> slide;
    CRect offered;
};
