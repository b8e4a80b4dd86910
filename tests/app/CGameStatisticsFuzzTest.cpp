// Damaged "stats" files: whatever the disk hands us, loading must not crash, and the statistics
// are either empty or what the file holds, sound enough to play on with.
#include "app/CGameStatistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace {

struct Loaded {
    bool ok = false;
    CGameStatistics stats;
};

Loaded Load(const std::string& text) {
    Loaded result;
    result.ok = result.stats.LoadStatistics(text.data(), text.size());
    return result;
}

bool IsEmpty(const CGameStatistics& stats) {
    return stats.GetSlides().empty() && stats.GetCourses().empty();
}

// Entries of one map that are missing from, or different in, the other; both ways.
template <typename Map> int Differences(const Map& a, const Map& b) {
    int count = 0;
    for (const auto& [key, value] : a) {
        const auto other = b.find(key);
        count += other == b.end() || !(other->second == value);
    }
    for (const auto& entry : b)
        count += a.find(entry.first) == a.end();
    return count;
}

int Differences(const CGameStatistics& a, const CGameStatistics& b) {
    return Differences(a.GetSlides(), b.GetSlides()) + Differences(a.GetCourses(), b.GetCourses());
}

// What play needs from loaded statistics: counts and averages usable, scores strictly best
// first, and the same statistics again after a save and a restart.
void ExpectPlayable(const CGameStatistics& stats, const std::string& what) {
    for (const auto& [title, slide] : stats.GetSlides()) {
        EXPECT_GE(slide.played, 0) << what;
        EXPECT_TRUE(std::isfinite(slide.avrg_points) && std::isfinite(slide.avrg_time)) << what;
    }
    for (const auto& [title, course] : stats.GetCourses()) {
        EXPECT_GE(course.played, 0) << what;
        EXPECT_TRUE(std::isfinite(course.avrg_points) && std::isfinite(course.avrg_time)) << what;
        for (std::size_t i = 1; i < course.scores.size(); ++i) {
            const auto& better = course.scores[i - 1];
            const auto& worse = course.scores[i];
            EXPECT_TRUE(better.points > worse.points ||
                        (better.points == worse.points && better.time < worse.time))
                << what;
        }
    }
    std::string text;
    ASSERT_TRUE(stats.SaveStatistics(text)) << what;
    const Loaded again = Load(text);
    EXPECT_TRUE(again.ok) << what;
    EXPECT_EQ(Differences(again.stats, stats), 0) << what;
}

std::string SampleText() {
    CGameStatistics stats;
    const wchar_t* slides[] = {L"a.xml", L"b.xml", L"Übung.xml", L"c <&> d.xml"};
    for (int i = 0; i < 4; ++i) {
        stats.AddSlideResult(slides[i], i, 1.5 * i);
        stats.AddSlideResult(slides[i], 2 * i, 0.25);
    }
    for (int i = 0; i < 9; ++i) {
        stats.AddCourseResult(L"Filter", i % 4, 10.0 + i);
        stats.SetScoreName(L"Filter", 0, L"Spieler " + std::to_wstring(i));
        stats.AddCourseResult(L"Spektren", 2 * i, 33.3);
    }
    stats.GetScores(L"Leer");
    std::string text;
    EXPECT_TRUE(stats.SaveStatistics(text));
    return text;
}

} // namespace

TEST(CGameStatisticsFuzz, TruncatedFilesLoadNothing) {
    const std::string text = SampleText();
    const Loaded whole = Load(text);
    ASSERT_TRUE(whole.ok);
    for (std::size_t length = 0; length < text.size(); ++length) {
        const Loaded cut = Load(text.substr(0, length));
        EXPECT_FALSE(cut.ok) << length;
        EXPECT_TRUE(IsEmpty(cut.stats)) << length;
    }
}

// One changed byte of the document may lose or alter the entry it belongs to, and a changed
// title may then replace another entry, but never more than that.
TEST(CGameStatisticsFuzz, BitFlipsInTheDocumentChangeAtMostTheirOwnEntries) {
    const std::string text = SampleText();
    const Loaded original = Load(text);
    std::string plain;
    ASSERT_TRUE(CGameStatistics::DecodeText(text, plain));
    std::mt19937 random(1234);
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = plain;
        const std::size_t at = random() % damaged.size();
        damaged[at] = static_cast<char>(damaged[at] ^ (1 << (random() % 8)));
        const std::string what = "byte " + std::to_string(at) + ": " + damaged;
        const Loaded loaded = Load(CGameStatistics::EncodeText(damaged));
        if (!loaded.ok) {
            EXPECT_TRUE(IsEmpty(loaded.stats)) << what;
            continue;
        }
        EXPECT_LE(Differences(loaded.stats, original.stats), 2) << what;
        ExpectPlayable(loaded.stats, what);
    }
}

TEST(CGameStatisticsFuzz, DamagedAndRandomFilesNeverBreakLoading) {
    const std::string text = SampleText();
    std::mt19937 random(5678);
    const auto digit = [&] { return "0123456789ABCDEFabcdef"[random() % 22]; };
    for (int round = 0; round < 3000; ++round) {
        std::string damaged;
        switch (round % 3) {
        case 0: // digits changed in the file: each changes two bytes of the document
            damaged = text;
            for (int n = 1 + random() % 4; n > 0; --n)
                damaged[random() % damaged.size()] = digit();
            break;
        case 1: // random digits
            for (std::size_t n = random() % 400; n > 0; --n)
                damaged += digit();
            break;
        default: // a piece of the file (perhaps none of it) followed by random bytes
            damaged = text.substr(0, random() % text.size());
            for (std::size_t n = random() % 64; n > 0; --n)
                damaged += static_cast<char>(random());
        }
        const Loaded loaded = Load(damaged);
        if (loaded.ok) {
            ExpectPlayable(loaded.stats, damaged);
        } else {
            EXPECT_TRUE(IsEmpty(loaded.stats)) << damaged;
        }
    }
}
