#pragma once
// Reads slide documents from strings the way the game does and keeps them for inspection.

#include "common/TestPanel.h"
#include "game/CGameContext.h"
#include "game/CGameSlide.h"
#include "game/CTable.h"
#include "platform/CApplication.h"

#include <QImage>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <memory>
#include <string>

// Pixels dark enough to be ink in the rectangle of the image.
inline int CountDark(const QImage& image, const CRect& r) {
    int dark = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            dark += qGray(image.pixel(x, y)) < 128;
    return dark;
}

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
    game::CTable& Table(std::size_t i = 0) {
        return dynamic_cast<game::CTable&>(*slide->Children().at(i));
    }

    // The slide read from the blocks, on screen in a host window, for what the player does.
    void Show(const std::string& blocks) {
        ASSERT_EQ(ReadTables(blocks), game::ERR_NONE);
        ASSERT_TRUE(host.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 1200, 900}, nullptr, 0));
        ASSERT_EQ(slide->CreateElementWindow(&host, 1000), game::ERR_NONE);
        slide->ShowWindow(true);
        CApplication::ProcessMessages();
    }
    // Press on one window and release over another, as the player drags; at is where on the
    // host window.
    void Drag(QWidget* from, QWidget* to, QPoint at = {5, 5}) {
        QTest::mousePress(from, Qt::LeftButton, {}, from == host.Widget() ? at : QPoint{5, 5});
        QTest::mouseRelease(to, Qt::LeftButton, {}, to == host.Widget() ? at : QPoint{5, 5});
    }
    void Drag(int from, int to) { Drag(Panel<CWnd>(from)->Widget(), Panel<CWnd>(to)->Widget()); }

    testing_panels::CTestPanels panels;
    game::CGameContext master;
    std::unique_ptr<tinyxml2::XMLDocument> document;
    std::unique_ptr<game::CGameSlide> slide;
    CRect offered;
    CWnd host;
};
