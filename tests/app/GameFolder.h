#pragma once
// A game folder for tests of the whole program: game.xml, slide files and the statistics file
// in a fresh temporary folder that is the working folder while the test runs. "wave" cells are
// test panels (one point each unless "points" says otherwise). Message boxes are collected.

#include "app/CVelmoraDlg.h"
#include "common/CTempFolder.h"
#include "common/ModalRun.h"
#include "common/TestPanel.h"
#include "game/CGameSlide.h"
#include "platform/CApplication.h"
#include "platform/CMessageBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class GameFolder : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = std::filesystem::current_path();
        std::filesystem::create_directories(m_folder / "slides");
        std::filesystem::create_directories(m_folder / "examples");
        std::filesystem::current_path(m_folder);
        CMessageBox::SetHandler([this](const std::wstring& text, const std::wstring& caption) {
            messages.push_back(caption + L"|" + text);
        });
    }
    void TearDown() override { // the folder goes with the fixture, once it is no longer current
        CMessageBox::SetHandler(nullptr);
        std::filesystem::current_path(m_previous);
    }

    static void Write(const std::string& name, const std::string& text) {
        std::ofstream(name, std::ios::binary) << text;
    }
    // A slide of one table row; cells like "<wave id='1'/>".
    static void WriteSlide(const std::string& name, const std::string& cells, int cols) {
        Write("slides/" + name, "<GameSlide><table rows='1' cols='" + std::to_string(cols) +
                                    "'><row>" + cells + "</row></table></GameSlide>");
    }
    // game.xml with the given courses ("<course ...>...</course>") and extra elements.
    static void WriteGame(const std::string& courses, const std::string& extra = "",
                          const std::string& attributes = "") {
        Write("game.xml", "<game" + attributes +
                              "><audioexamples>examples</audioexamples><slides>slides</slides>" +
                              extra + courses + "</game>");
    }

    // Runs the program's dialog with a script inside its modal loop; the script ends it.
    static void Play(const std::function<void(CVelmoraDlg&)>& script, int safetyMs = 20000) {
        CVelmoraDlg dialog;
        RunModal(
            dialog,
            [&] {
                script(dialog);
                dialog.EndDialog(IDCANCEL);
            },
            safetyMs);
    }

    static bool WaitUntil(const std::function<bool()>& condition, int ms = 5000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!condition() && std::chrono::steady_clock::now() < end)
            CApplication::ProcessMessagesFor(2);
        return condition();
    }
    static void Click(CVelmoraDlg& dialog, UINT id) {
        CWnd* button = dialog.GetDlgItem(id);
        ASSERT_NE(button, nullptr) << id;
        QTest::mouseClick(button->Widget(), Qt::LeftButton);
    }
    static bool Enabled(CVelmoraDlg& dialog, UINT id) {
        return dialog.GetDlgItem(id)->IsWindowEnabled();
    }
    static std::wstring SlideName(CVelmoraDlg& dialog) {
        return dialog.CurrentSlide() ? dialog.CurrentSlide()->GetName() : L"";
    }
    // The two numbers of the score line; -1 where it has none.
    static std::pair<int, int> Points(CVelmoraDlg& dialog) {
        int achieved = -1, total = -1;
        std::swscanf(dialog.ScoreLine().c_str(), L"Es wurden %d von %d", &achieved, &total);
        return {achieved, total};
    }

    // Answers the end-of-course dialogs from inside their own loops: the name dialog gets
    // name() typed and Return (Escape for a null name), the list is closed with Escape.
    void AnswerScoreDialogs(
        CWnd& main, std::function<QString()> name = [] { return "Anna"; }) {
        responder.setInterval(5);
        QObject::connect(&responder, &QTimer::timeout, [this, &main, name] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || modal == main.Widget())
                return;
            auto* edit = modal->findChild<QLineEdit*>();
            const QString typed = edit != nullptr ? name() : QString();
            ++(edit != nullptr ? nameDialogs : listDialogs);
            if (!typed.isNull())
                edit->setText(typed);
            QTest::keyClick(modal, typed.isNull() ? Qt::Key_Escape : Qt::Key_Return);
        });
        responder.start();
    }

    std::vector<std::wstring> messages;
    QTimer responder;
    int nameDialogs = 0;
    int listDialogs = 0;
    testing_panels::CTestPanels m_panels;
    const CTempFolder m_temp;
    const std::filesystem::path m_folder{m_temp.Folder()};

private:
    std::filesystem::path m_previous;
};
