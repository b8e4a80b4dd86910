#pragma once
// A game folder for tests of the whole program: game.xml, slide files and the statistics file
// in a fresh temporary folder that is the working folder while the test runs. "wave" cells are
// test panels (one point each unless "points" says otherwise).

#include "common/TestPanel.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

class GameFolder : public ::testing::Test {
protected:
    void SetUp() override {
        testing_panels::RegisterTestPanels();
        m_previous = std::filesystem::current_path();
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_folder = std::filesystem::temp_directory_path() /
                   ("velmora_" + std::string(test->test_suite_name()) + "_" + test->name() + "_" +
                    std::to_string(::getpid()));
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder / "slides");
        std::filesystem::create_directories(m_folder / "examples");
        std::filesystem::current_path(m_folder);
    }
    void TearDown() override {
        std::filesystem::current_path(m_previous);
        std::filesystem::remove_all(m_folder);
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
    static void WriteGame(const std::string& courses, const std::string& extra = "") {
        Write("game.xml", "<game><audioexamples>examples</audioexamples><slides>slides</slides>" +
                              extra + courses + "</game>");
    }

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_folder;
};
