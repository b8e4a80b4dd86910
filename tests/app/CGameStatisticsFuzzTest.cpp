// Damaged "stats" files: loading never crashes, and the statistics are either empty or what
// the file holds, sound enough to play on with.
#include "app/CGameStatistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace {

bool Load(CGameStatistics& stats, const std::string& text) {
    return stats.LoadStatistics(text.data(), text.size());
}

bool IsEmpty(const CGameStatistics& stats) {
    return stats.GetSlides().empty() && stats.GetCourses().empty();
}

// Entries missing from, or different in, the other map; both ways.
template <typename Map> int Differences(const Map& a, const Map& b) {
    int count = 0;
    for (const auto& [key, value] : a)
        count += !b.count(key) || !(b.at(key) == value);
    for (const auto& entry : b)
        count += !a.count(entry.first);
    return count;
}

int Differences(const CGameStatistics& a, const CGameStatistics& b) {
    return Differences(a.GetSlides(), b.GetSlides()) + Differences(a.GetCourses(), b.GetCourses());
}

// Usable counts and averages, scores strictly best first, and the same statistics again after
// a save and a restart.
void ExpectPlayable(const CGameStatistics& stats, const std::string& what) {
    for (const auto& [title, slide] : stats.GetSlides())
        EXPECT_TRUE(slide.played >= 0 && std::isfinite(slide.avrg_points + slide.avrg_time))
            << what;
    for (const auto& [title, course] : stats.GetCourses()) {
        EXPECT_TRUE(course.played >= 0 && std::isfinite(course.avrg_points + course.avrg_time))
            << what;
        for (std::size_t i = 1; i < course.scores.size(); ++i) {
            const auto &better = course.scores[i - 1], &worse = course.scores[i];
            EXPECT_TRUE(better.points > worse.points ||
                        (better.points == worse.points && better.time < worse.time))
                << what;
        }
    }
    std::string text;
    ASSERT_TRUE(stats.SaveStatistics(text)) << what;
    CGameStatistics again;
    EXPECT_TRUE(Load(again, text)) << what;
    EXPECT_EQ(Differences(again, stats), 0) << what;
}

std::string SampleText() {
    CGameStatistics stats;
    const wchar_t* slides[] = {L"a.xml", L"Übung.xml", L"c <&> d.xml"};
    for (int i = 0; i < 3; ++i) {
        stats.AddSlideResult(slides[i], i, 1.5 * i);
        stats.AddSlideResult(slides[i], 2 * i, 0.25);
    }
    for (int i = 0; i < 9; ++i) {
        stats.AddCourseResult(L"Filter", i % 4, 10.0 + i);
        stats.SetScoreName(L"Filter", 0, L"Spieler " + std::to_wstring(i));
    }
    stats.GetScores(L"Leer");
    std::string text;
    EXPECT_TRUE(stats.SaveStatistics(text));
    return text;
}

TEST(CGameStatisticsFuzz, TruncatedFilesLoadNothing) {
    const std::string text = SampleText();
    for (std::size_t length = 0; length < text.size(); length += 3) {
        CGameStatistics cut;
        EXPECT_FALSE(Load(cut, text.substr(0, length))) << length;
        EXPECT_TRUE(IsEmpty(cut)) << length;
    }
}

TEST(CGameStatisticsFuzz, DamagedAndRandomFilesNeverBreakLoading) {
    const std::string text = SampleText();
    std::mt19937 random(5678);
    const auto digit = [&] { return "0123456789ABCDEFabcdef"[random() % 22]; };
    for (int round = 0; round < 600; ++round) {
        std::string damaged = round % 2 ? text.substr(0, random() % text.size()) : text;
        if (round % 2 == 0) // changed digits: each changes two bytes of the document
            for (int n = 1 + random() % 4; n > 0; --n)
                damaged[random() % damaged.size()] = digit();
        else // a piece of the file followed by random digits or bytes
            for (std::size_t n = random() % 64; n > 0; --n)
                damaged += round % 4 == 1 ? digit() : static_cast<char>(random());
        CGameStatistics loaded;
        if (Load(loaded, damaged))
            ExpectPlayable(loaded, damaged);
        else
            EXPECT_TRUE(IsEmpty(loaded)) << damaged;
    }
}

} // namespace
