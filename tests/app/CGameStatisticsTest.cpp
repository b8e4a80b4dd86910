// The statistics store in memory and the text of the "stats" file.
#include "app/CGameStatistics.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

namespace {

using Score = CGameStatistics::Score;
using SlideStat = CGameStatistics::SlideStat;

std::string SavedDocument(const CGameStatistics& stats) {
    std::string text, plain;
    EXPECT_TRUE(stats.SaveStatistics(text));
    EXPECT_TRUE(CGameStatistics::DecodeText(text, plain));
    return plain;
}

bool LoadDocument(CGameStatistics& stats, const std::string& plain) {
    const std::string text = CGameStatistics::EncodeText(plain);
    return stats.LoadStatistics(text.data(), text.size());
}

const std::string HEAD = R"(<?xml version="1.0"?><GameStatistics>)";
const std::string TAIL = "</GameStatistics>";

// The scrambling is part of the file format: with another key, existing files are lost.
// White space around the digits (an editor's line end, a copy's blanks) is no damage.
TEST(CGameStatisticsText, ScramblesAndDecodesTheFileDigits) {
    // 'a' ^ 0xA5 = 0xC4, 'b' ^ 0xC4 = 0xA6, 'c' ^ 0xA6 = 0xC5; low nibble first.
    EXPECT_EQ(CGameStatistics::EncodeText("abc"), "4C6A5C");
    const struct {
        const char* digits;
        bool readable;
    } cases[] = {{"4c6a5C", true},          {"4C6A5C7", true}, // unpaired last digit ignored
                 {"4C6G5C", false},         {"4c6g5c", false},   {"4C 6A5C", false},
                 {" \t4C6A5C \r\n\n", true}, {"\n4C6A5C", true}};
    for (const auto& c : cases) {
        std::string plain;
        EXPECT_EQ(CGameStatistics::DecodeText(c.digits, plain), c.readable) << c.digits;
        EXPECT_EQ(plain, c.readable ? "abc" : "") << c.digits;
    }
    std::string all, back;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(255 - i);
    ASSERT_TRUE(CGameStatistics::DecodeText(CGameStatistics::EncodeText(all), back));
    EXPECT_EQ(back, all);
}

TEST(CGameStatisticsDocument, HasTheFileLayoutWithPrintfNumbers) {
    CGameStatistics stats;
    stats.AddSlideResult(L"s1.xml", 4, 10.0);
    stats.AddSlideResult(L"s1.xml", 2, 20.0);
    stats.AddSlideResult(L"t.xml", 1, 12.3456789);
    stats.AddCourseResult(L"Filter", 7, 50.0);
    stats.SetScoreName(L"Filter", 0, L"Anna");
    EXPECT_TRUE(stats.GetScores(L"Neu").empty()); // looked at, never played
    EXPECT_EQ(stats.GetSlides().at("s1.xml"), (SlideStat{15.0, 3.0, 2}));
    EXPECT_EQ(SavedDocument(stats),
              HEAD +
                  "<SlideStatistics>"
                  R"(<slide titel="s1.xml" played="2" avrg_points="3" avrg_time="15"/>)"
                  R"(<slide titel="t.xml" played="1" avrg_points="1" avrg_time="12.3457"/>)"
                  "</SlideStatistics><CourseStatistics>"
                  R"(<course titel="Filter" played="1" avrg_points="7" avrg_time="50">)"
                  R"(<scores><score name="Anna" points="7" time="50"/></scores></course>)"
                  R"(<course titel="Neu" played="0" avrg_points="0" avrg_time="0">)"
                  "<scores/></course></CourseStatistics>" +
                  TAIL);
    CGameStatistics loaded;
    ASSERT_TRUE(LoadDocument(loaded, SavedDocument(stats)));
    EXPECT_EQ(loaded.GetSlides().at("t.xml").avrg_time, 12.3457);
    EXPECT_EQ(loaded.GetCourses().at("Neu"), CGameStatistics::CourseStat{});
}

TEST(CGameStatisticsResults, ListsScoresBestFirstAndKeepsEqualOnesOnce) {
    CGameStatistics stats;
    for (const auto& [points, seconds, position] :
         {std::tuple{7, 50.0, 0}, {5, 20.0, 1}, {5, 30.0, 2}, {5, 25.0, 2}, {7, 50.0, 0}})
        EXPECT_EQ(stats.AddCourseResult(L"K", points, seconds), position) << points << seconds;
    EXPECT_TRUE(stats.SetScoreName(L"K", 0, L"Bea")); // names the first (7, 50)
    const std::vector<Score> expected = {
        {"Bea", 7, 50.0}, {"Unbekannt", 5, 20.0}, {"Unbekannt", 5, 25.0}, {"Unbekannt", 5, 30.0}};
    EXPECT_EQ(stats.GetScores(L"K"), expected);
    const CGameStatistics::CourseStat& course = stats.GetCourses().at("K");
    EXPECT_EQ(course.played, 5); // the repeated result still counts as played
    EXPECT_DOUBLE_EQ(course.avrg_points, 29.0 / 5);
    EXPECT_DOUBLE_EQ(course.avrg_time, 35.0);

    // A time that is not a number (a broken clock) counts as 0 and keeps the order sound.
    stats.AddSlideResult(L"n", 1, std::nan(""));
    EXPECT_EQ(stats.AddCourseResult(L"n", 1, std::nan("")), 0);
    EXPECT_EQ(stats.GetSlides().at("n").avrg_time, 0.0);
    EXPECT_EQ(stats.GetScores(L"n").at(0).time, 0.0);

    for (const auto& [title, position] : {std::pair{L"K", 4}, {L"K", -1}, {L"Unbekannter Kurs", 0}})
        EXPECT_FALSE(stats.SetScoreName(title, position, L"x")) << position;
    EXPECT_EQ(stats.GetCourses().count("Unbekannter Kurs"), 0u);
}

// Foreign or damaged texts, and every cut of a saved file (a full disk, a killed copy), load
// nothing and leave the statistics as they were.
TEST(CGameStatisticsLoading, RejectsForeignTextsAndKeepsWhatItHad) {
    const std::string body = "<SlideStatistics/><CourseStatistics/>";
    std::vector<std::string> cases = {
        "plain text",
        R"(<?xml version="1.0"?><Statistics>)" + body + "</Statistics>",
        HEAD + "<SlideStatistics/>" + TAIL,
        HEAD + body + TAIL + std::string(1, '\0') + "<x/>", // a zero byte inside
    };
    CGameStatistics sample;
    sample.AddSlideResult(L"Übung <&>.xml", 2, 1.5);
    sample.AddCourseResult(L"Filter", 3, 10.0);
    sample.SetScoreName(L"Filter", 0, L"Spieler");
    const std::string saved = SavedDocument(sample);
    for (std::size_t length = 0; length < saved.size(); length += 3)
        cases.push_back(saved.substr(0, length));
    for (const std::string& plain : cases) {
        CGameStatistics stats;
        stats.AddSlideResult(L"kept", 3, 4.0);
        const CGameStatistics::SlideMap before = stats.GetSlides();
        EXPECT_FALSE(LoadDocument(stats, plain)) << plain;
        EXPECT_EQ(stats.GetSlides(), before) << plain;
    }
    CGameStatistics stats;
    EXPECT_FALSE(stats.LoadStatistics("4C6A5G", 6));
    EXPECT_TRUE(LoadDocument(stats, HEAD + body + TAIL));
}

TEST(CGameStatisticsLoading, SkipsNamelessElementsAndTamesAbsurdNumbers) {
    CGameStatistics stats;
    ASSERT_TRUE(LoadDocument(
        stats, HEAD +
                   "<SlideStatistics>"
                   R"(<slide played="3" avrg_points="1" avrg_time="1"/>)"
                   R"(<slide titel="neg" played="-5" avrg_points="nan" avrg_time="inf"/>)"
                   R"(<slide titel="max" played="99999999999" avrg_points="1e308"/>)"
                   R"(<slide titel="top" played="2147483647" avrg_points="4" avrg_time="-1e308"/>)"
                   R"(<slide titel="bad" played="2x" avrg_points="," avrg_time=" 3"/>)"
                   R"(<slide titel="big" played="2" avrg_time="1e308"/>)"
                   "</SlideStatistics><CourseStatistics>"
                   R"(<course played="1"><scores/></course>)"
                   R"(<course titel="k" played="2"><scores>)"
                   R"(<score points="9" time="1"/>)"
                   R"(<score name="a" points="5" time="nan"/>)"
                   R"(<score name="b" points="5" time="-inf"/>)"
                   R"(<score name="c" points="x" time="3"/>)"
                   "</scores></course></CourseStatistics>" +
                   TAIL));
    const CGameStatistics::SlideMap expectedSlides = {
        {"bad", {0.0, 0.0, 0}}, {"big", {1e308, 0.0, 2}},        {"max", {0.0, 1e308, 0}},
        {"neg", {0.0, 0.0, 0}}, {"top", {-1e308, 4.0, INT_MAX}},
    };
    EXPECT_EQ(stats.GetSlides(), expectedSlides);
    ASSERT_EQ(stats.GetCourses().size(), 1u);
    // NaN and infinite times read as 0: "a" and "b" are then one entry, the first one kept.
    EXPECT_EQ(stats.GetScores(L"k"), (std::vector<Score>{{"a", 5, 0.0}, {"c", 0, 3.0}}));

    // Results added on top of such values stay finite and counted.
    stats.AddSlideResult(L"neg", 6, 2.0);
    stats.AddSlideResult(L"top", 4, 1e307);
    EXPECT_EQ(stats.GetSlides().at("neg"), (SlideStat{2.0, 6.0, 1}));
    stats.AddSlideResult(L"big", 0, 1e307); // 2 * 1e308 would overflow
    EXPECT_DOUBLE_EQ(stats.GetSlides().at("big").avrg_time, 7e307);
    const SlideStat& top = stats.GetSlides().at("top");
    EXPECT_EQ(top.played, INT_MAX);
    // The mean of INT_MAX times -1e308 and once 1e307, where n * average would overflow.
    EXPECT_NEAR(top.avrg_time, -1e308 + 1.1e308 / 2147483648.0, 1e294);
}

} // namespace
