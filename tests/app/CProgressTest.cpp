#include "app/CProgress.h"
#include "common/CTempFolder.h"
#include "platform/CText.h"

#include <gtest/gtest.h>

namespace {

// The figures of the progress view from a statistics file and a file of tries both written
// for the test, as the game reads them back: tries count from the statistics, shares and
// trends from the kept tries, whose unreadable lines are skipped.
TEST(Progress, FiguresPerCourseAndTopicFromTheSavedFiles) {
    const CTempFolder folder;
    const std::string stats = CText::ToNarrow(folder.PathOf("stats"));
    {
        CGameStatistics played;
        for (const auto& [slide, times] : {std::pair{L"k1.xml", 2}, {L"s1.xml", 1}, {L"s2.xml", 3}})
            for (int i = 0; i < times; ++i)
                played.AddSlideResult(slide, 1, 10.0);
        ASSERT_TRUE(played.SaveFile(stats));
    }
    std::string tries = std::string(CTryLog::HEADER) + "\n" +
                        "2026-01-01 10:00:00\tk1.xml\t2\t2\t5.0\n"
                        "2026-01-01 10:01:00\tk1.xml\t1\t2\t5.0\n"
                        "2026-01-01 10:02:00\ts1.xml\t0\t3\t5.0\n"
                        "2026-01-01 10:03:00\ts1.xml\t4\t3\t5.0\n" // more than the maximum
                        "kaputt\n"
                        "2026-01-01 10:04:00\tfremd.xml\t0\t9\t5.0\n";
    for (int i = 0; i < 12; ++i) // s2: nothing, all, nothing, ...; the trend keeps the last ten
        tries += "2026-01-02 10:00:00\ts2.xml\t" + std::to_string(i % 2) + "\t1\t5.0\n";
    CGameStatistics statistics;
    CTryLog log;
    ASSERT_TRUE(statistics.LoadFile(stats));
    ASSERT_TRUE(log.LoadFile(CText::ToNarrow(folder.Write("stats.verlauf", tries))));

    const std::vector<CCourse> courses = {{L"Klang", {L"slides\\k1.xml"}},
                                          {L"Spektren", {L"slides/s1.xml", L"slides/s2.xml"}},
                                          {L"Ungespielt", {L"slides/x.xml"}}};
    const CProgress::Figures figures = CProgress::Compute(
        statistics.GetSlides(), log.Tries(), courses,
        {{"k1.xml", "Zeitsignal"}, {"s1.xml", "Spektrum"}, {"s2.xml", "Spektrum"}});

    ASSERT_TRUE(figures.courses.size() == 3 && figures.topics.size() == 8);
    using Row = std::tuple<std::wstring, int, std::wstring, std::vector<double>>;
    const auto row = [](const ProgressRow& r) {
        return Row(r.label, r.tries, CProgressView::ShareText(r.share), r.trend);
    };
    EXPECT_EQ(row(figures.courses[0]), Row(L"Klang", 2, L"75 %", {1.0, 0.5}));
    EXPECT_EQ(row(figures.courses[1]),
              Row(L"Spektren", 4, L"40 %", {0, 1, 0, 1, 0, 1, 0, 1, 0, 1}));
    EXPECT_EQ(row(figures.courses[2]), Row(L"Ungespielt", 0, L"–", {}));
    EXPECT_EQ(row(figures.topics[0]), Row(L"Einführung", 0, L"–", {}));
    EXPECT_EQ(row(figures.topics[1]), Row(L"Zeitsignal", 2, L"75 %", {1.0, 0.5}));
    EXPECT_EQ(row(figures.topics[3]), Row(L"Spektrum", 4, L"40 %", {0, 1, 0, 1, 0, 1, 0, 1, 0, 1}));
    EXPECT_EQ(figures.weakest, (std::vector<std::wstring>{L"Spektrum", L"Zeitsignal"}));
}

} // namespace
