// The statistics in memory, as the text of the "stats" file and on disk: nothing a player has
// earned may be lost to restarts, failed saves, other copies, editors or careless players.
#include "app/CGameStatistics.h"
#include "common/CTempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <csignal>
#include <functional>
#include <future>
#include <optional>
#include <random>
#include <set>
#include <thread>

namespace {

namespace fs = std::filesystem;
using Stats = CGameStatistics;

Stats Sample(Stats stats = {}) {
    stats.AddSlideResult(L"spektrum.xml", 3, 12.5);
    stats.AddSlideResult(L"Übung <&>.xml", 1, 4.0);
    stats.AddCourseResult(L"Filter", 7, 50.0);
    stats.SetScoreName(L"Filter", 0, L"Jürgen");
    stats.GetScores(L"Nie gespielt");
    return stats;
}

std::string SavedDocument(const Stats& stats) {
    std::string text, plain;
    EXPECT_TRUE(stats.SaveStatistics(text) && Stats::DecodeText(text, plain));
    return plain;
}

bool LoadDocument(Stats& stats, const std::string& plain) {
    const std::string text = Stats::EncodeText(plain);
    return stats.LoadStatistics(text.data(), text.size());
}

const std::string HEAD = R"(<?xml version="1.0"?><GameStatistics>)", TAIL = "</GameStatistics>";

// The scrambling is part of the file format: with another key, existing files are lost.
// White space around the digits (an editor's line end, a copy's blanks) is no damage, nor is an
// unpaired last digit.
TEST(CGameStatisticsText, ScramblesAndDecodesTheFileDigits) {
    // 'a' ^ 0xA5 = 0xC4, 'b' ^ 0xC4 = 0xA6, 'c' ^ 0xA6 = 0xC5; low nibble first.
    EXPECT_EQ(Stats::EncodeText("abc"), "4C6A5C");
    const std::pair<const char*, bool> cases[] = {
        {"4c6a5C", true},   {"4C6A5C7", true},          {"4C6G5C", false},
        {"4C 6A5C", false}, {" \t4C6A5C \r\n\n", true},
    };
    for (const auto& [digits, readable] : cases) {
        std::string plain;
        EXPECT_EQ(Stats::DecodeText(digits, plain), readable) << digits;
        EXPECT_EQ(plain, readable ? "abc" : "") << digits;
    }
    std::string all, back;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(255 - i);
    ASSERT_TRUE(Stats::DecodeText(Stats::EncodeText(all), back));
    EXPECT_EQ(back, all);
}

TEST(CGameStatisticsDocument, HasTheFileLayoutWithPrintfNumbers) {
    Stats stats;
    stats.AddSlideResult(L"s1.xml", 4, 10.0);
    stats.AddSlideResult(L"s1.xml", 2, 20.0);
    stats.AddSlideResult(L"t.xml", 1, 12.3456789);
    stats.AddCourseResult(L"Filter", 7, 50.0);
    stats.SetScoreName(L"Filter", 0, L"Anna");
    EXPECT_TRUE(stats.GetScores(L"Neu").empty()); // looked at, never played
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
    Stats loaded;
    ASSERT_TRUE(LoadDocument(loaded, SavedDocument(stats)));
    EXPECT_EQ(loaded.GetSlides().at("t.xml").avrg_time, 12.3457);
    EXPECT_EQ(loaded.GetCourses().at("Neu"), Stats::CourseStat{});
}

TEST(CGameStatisticsResults, ListsScoresBestFirstAndKeepsEqualOnesOnce) {
    Stats stats;
    for (const auto& [points, seconds, position] :
         {std::tuple{7, 50.0, 0}, {5, 20.0, 1}, {5, 30.0, 2}, {5, 25.0, 2}, {7, 50.0, 0}})
        EXPECT_EQ(stats.AddCourseResult(L"K", points, seconds), position) << points << seconds;
    EXPECT_TRUE(stats.SetScoreName(L"K", 0, L"Bea")); // names the first (7, 50)
    const Stats::ScoreList expected = {
        {"Bea", 7, 50.0}, {"Unbekannt", 5, 20.0}, {"Unbekannt", 5, 25.0}, {"Unbekannt", 5, 30.0}};
    EXPECT_EQ(stats.GetScores(L"K"), expected);
    const Stats::CourseStat& course = stats.GetCourses().at("K");
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
// nothing and leave the statistics as they were. Of a readable one, elements without a name are
// skipped and absurd numbers tamed.
TEST(CGameStatisticsLoading, RejectsForeignTextsAndTamesAbsurdNumbers) {
    const std::string body = "<SlideStatistics/><CourseStatistics/>";
    std::vector<std::string> cases = {
        "plain text", R"(<?xml version="1.0"?><Statistics>)" + body + "</Statistics>",
        HEAD + "<SlideStatistics/>" + TAIL,
        HEAD + body + TAIL + std::string(1, '\0') + "<x/>", // a zero byte inside
    };
    const std::string saved = SavedDocument(Sample());
    for (std::size_t length = 0; length < saved.size(); length += 3)
        cases.push_back(saved.substr(0, length));
    Stats stats;
    stats.AddSlideResult(L"kept", 3, 4.0);
    const Stats::SlideMap before = stats.GetSlides();
    for (const std::string& plain : cases) {
        EXPECT_FALSE(LoadDocument(stats, plain)) << plain;
        EXPECT_EQ(stats.GetSlides(), before) << plain;
    }
    EXPECT_FALSE(stats.LoadStatistics("4C6A5G", 6));
    // As an editor may have left it: elements on lines of their own, some without a name.
    ASSERT_TRUE(LoadDocument(stats, HEAD + R"(<SlideStatistics>
<slide played="3" avrg_points="1" avrg_time="1"/>
<slide titel="neg" played="-5" avrg_points="nan" avrg_time="inf"/>
<slide titel="max" played="99999999999" avrg_points="1e308"/>
<slide titel="top" played="2147483647" avrg_points="4" avrg_time="-1e308"/>
<slide titel="bad" played="2x" avrg_points="," avrg_time=" 3"/>
<slide titel="big" played="2" avrg_time="1e308"/></SlideStatistics><CourseStatistics>
<course played="1"><scores/></course><course titel="k" played="2"><scores>
<score points="9" time="1"/><score name="a" points="5" time="nan"/>
<score name="b" points="5" time="-inf"/><score name="c" points="x" time="3"/>
</scores></course></CourseStatistics></GameStatistics>)"));
    const Stats::SlideMap tamed = {
        {"bad", {0.0, 0.0, 0}}, {"big", {1e308, 0.0, 2}},        {"max", {0.0, 1e308, 0}},
        {"neg", {0.0, 0.0, 0}}, {"top", {-1e308, 4.0, INT_MAX}},
    };
    EXPECT_EQ(stats.GetSlides(), tamed);
    ASSERT_EQ(stats.GetCourses().size(), 1u);
    // NaN and infinite times read as 0: "a" and "b" are then one entry, the first one kept.
    EXPECT_EQ(stats.GetScores(L"k"), (Stats::ScoreList{{"a", 5, 0.0}, {"c", 0, 3.0}}));
    // Results added on top of such values stay finite and counted.
    stats.AddSlideResult(L"neg", 6, 2.0);
    stats.AddSlideResult(L"top", 4, 1e307);
    EXPECT_EQ(stats.GetSlides().at("neg"), (Stats::SlideStat{2.0, 6.0, 1}));
    stats.AddSlideResult(L"big", 0, 1e307); // 2 * 1e308 would overflow
    EXPECT_DOUBLE_EQ(stats.GetSlides().at("big").avrg_time, 7e307);
    const Stats::SlideStat& top = stats.GetSlides().at("top");
    EXPECT_EQ(top.played, INT_MAX);
    // The mean of INT_MAX times -1e308 and once 1e307, where n * average would overflow.
    EXPECT_NEAR(top.avrg_time, -1e308 + 1.1e308 / 2147483648.0, 1e294);
}

class StatisticsFile : public testing::Test {
protected:
    std::vector<std::string> Files() const { // names in the folder, sorted
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    const CTempFolder m_temp;
    const fs::path m_dir{m_temp.Folder()};
    const std::string m_path = (m_dir / "stats").string();
};

// What a run saved, once or again over its own file, comes back after a restart from nothing
// but hexadecimal digits, in the old file's mode: the best ten scores of each course, names of
// any length cut rather than a reason for the save to fail, and of more slides than the file
// holds the most played. An unreadable file stays beside the new one, byte for byte; a readable
// or empty one is simply replaced. A full disk leaves the previous file as it was, or no file
// where there was none, and the run's results wait for the next save.
TEST_F(StatisticsFile, SavedResultsComeBackAndNothingEarnedIsLost) {
    EXPECT_FALSE(Stats().LoadFile(m_path));
    EXPECT_FALSE(fs::exists(m_path)); // loading does not create it
    std::string sample;
    ASSERT_TRUE(Sample().SaveStatistics(sample));
    const auto addSample = [](Stats& s) { s = Sample(s); };
    const struct {
        std::optional<std::string> old; // none: no file
        bool kept, fullDisk;
        std::function<void(Stats&)> run;
    } cases[] = {
        {std::nullopt, false, true, addSample},
        {sample, false, true, addSample},
        {"", false, false,
         [](Stats& s) {
             for (int points = 1; points <= 11; ++points)
                 s.AddCourseResult(L"K", points, 60.0);
             EXPECT_TRUE(s.SetScoreName(L"K", 10, L"Letzter")); // listed until the program ends
             ASSERT_TRUE(s.SetScoreName(L"K", 0, std::wstring(32767, L'W')));
             EXPECT_EQ(s.GetScores(L"K").at(0).name.size(), Stats::MAX_NAME_LENGTH);
             s.AddSlideResult(std::wstring(70000, L'&'), 1, 1.0);
             s.AddCourseResult(std::wstring(70000, L'ä'), 1, 1.0);
         }},
        {"not hex at all", true, false, addSample},
        {sample.substr(0, 20), true, false, addSample},
        {std::string(Stats::MAX_TEXT_SIZE + 2, 'A'), true, false,
         [](Stats& s) { // too many slides for the file
             for (int i = 0; i < 800; ++i)
                 for (int play = 0; play <= i % 8; ++play)
                     s.AddSlideResult(L"aufgabe_spektrum_und_filter_" + std::to_wstring(i) +
                                          L".xml",
                                      play, 12.3125);
             s.AddCourseResult(L"Kurs", 5, 30.0);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.old ? c.old->substr(0, 20) : "no file");
        for (const std::string& name : Files())
            fs::remove(m_dir / name);
        if (c.old) {
            m_temp.Write("stats", *c.old);
            fs::permissions(m_path, fs::perms(0640));
        }
        Stats saved, loaded;
        EXPECT_EQ(saved.LoadFile(m_path), !c.kept && c.old && !c.old->empty());
        c.run(saved);
        if (c.fullDisk) { // every write that would grow a file beyond a few bytes fails
            const auto handler = std::signal(SIGXFSZ, SIG_IGN);
            rlimit normal{};
            getrlimit(RLIMIT_FSIZE, &normal);
            const rlimit tiny{16, normal.rlim_max};
            EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
            EXPECT_FALSE(saved.SaveFile(m_path));
            setrlimit(RLIMIT_FSIZE, &normal);
            std::signal(SIGXFSZ, handler);
            EXPECT_EQ(Stats::SaveFailureText(saved.SaveError()),
                      L"Die Ergebnisse konnten nicht gespeichert werden: die Datei würde größer, "
                      L"als das System erlaubt.");
            EXPECT_EQ(Files().size(), c.old ? 1u : 0u) << "neither a temporary nor an empty file";
            EXPECT_EQ(ReadFile(m_path), c.old.value_or(""));
        }
        ASSERT_TRUE(saved.SaveFile(m_path));
        ASSERT_TRUE(saved.SaveFile(m_path)); // a second save keeps no second copy
        ASSERT_TRUE(loaded.LoadFile(m_path));
        Stats::CourseMap courses = saved.GetCourses();
        for (auto& [title, course] : courses)
            course.scores.resize(std::min(course.scores.size(), Stats::MAX_SAVED_SCORES));
        EXPECT_EQ(loaded.GetCourses(), courses);
        const auto& slides = loaded.GetSlides();
        int fewestKept = INT_MAX, mostLeftOut = 0; // every slide was played at least once
        for (const auto& [name, stat] : saved.GetSlides())
            if (slides.count(name) == 0)
                mostLeftOut = std::max(mostLeftOut, stat.played);
            else {
                EXPECT_EQ(slides.at(name), stat);
                fewestKept = std::min(fewestKept, stat.played);
            }
        EXPECT_GE(fewestKept, mostLeftOut);
        EXPECT_EQ(mostLeftOut > 0, saved.GetSlides().size() >= 800);
        EXPECT_GE(slides.size(), std::min<std::size_t>(saved.GetSlides().size(), 501));
        EXPECT_EQ(ReadFile(m_path).find_first_not_of("0123456789ABCDEF"), std::string::npos);
        EXPECT_TRUE(!c.old || fs::status(m_path).permissions() == fs::perms(0640));
        const std::vector<std::string> names = Files();
        ASSERT_EQ(names.size(), c.kept ? 2u : 1u); // no temporary file left behind
        if (c.kept) {
            EXPECT_EQ(ReadFile(m_dir / names[1]), *c.old);
            EXPECT_EQ(names[1].rfind("stats.unreadable-", 0), 0u);
            EXPECT_EQ(names[1].find('-', 17), std::string::npos) << names[1];
        }
    }
}

// Two copies of the game on one folder (a class sharing a teacher's folder), saving in turns:
// the file holds both runs' results, each counted once, with each player's name on their score.
TEST_F(StatisticsFile, TwoCopiesOnOneFolderKeepBothRuns) {
    Stats first, second, loaded;
    first.AddSlideResult(L"a.xml", 4, 10.0);
    first.AddCourseResult(L"Kurs", 5, 30.1230001); // the file keeps 30.123
    ASSERT_TRUE(first.SaveFile(m_path));
    second.AddSlideResult(L"a.xml", 2, 20.0);
    second.AddSlideResult(L"b.xml", 1, 5.0);
    second.AddCourseResult(L"Kurs", 9, 40.0); // better: first's score moves down on disk
    ASSERT_TRUE(second.SaveFile(m_path));
    ASSERT_TRUE(first.SetScoreName(L"Kurs", 0, L"Erste") && first.SaveFile(m_path));
    ASSERT_TRUE(second.SetScoreName(L"Kurs", 0, L"Zweite") && second.SaveFile(m_path));
    ASSERT_TRUE(first.SaveFile(m_path)); // nothing new: nothing counted twice
    ASSERT_TRUE(loaded.LoadFile(m_path));
    EXPECT_EQ(loaded.GetSlides(),
              (Stats::SlideMap{{"a.xml", {15.0, 3.0, 2}}, {"b.xml", {5.0, 1.0, 1}}}));
    EXPECT_EQ(loaded.GetCourses().at("Kurs"),
              (Stats::CourseStat{35.0615, 7.0, {{"Zweite", 9, 40.0}, {"Erste", 5, 30.123}}, 2}));
}

TEST_F(StatisticsFile, LoadingAndSavingWaitForAnotherHolderOfTheLock) {
    ASSERT_TRUE(Sample().SaveFile(m_path));
    const std::function<bool()> operations[] = {[this] { return Stats().LoadFile(m_path); },
                                                [this] { return Sample().SaveFile(m_path); }};
    for (const auto& operation : operations) {
        const int fd = open(m_path.c_str(), O_RDONLY); // another running copy of the game
        EXPECT_EQ(flock(fd, LOCK_EX), 0);
        std::future<bool> done = std::async(std::launch::async, operation);
        EXPECT_EQ(done.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
        close(fd);
        EXPECT_TRUE(done.get());
    }
}

// A game killed while it saves (power loss, a killed session) leaves "stats" whole: the old or
// the new content, never a mixture, never an empty or cut file. Each save adds one play to
// every slide of its version, so a whole file has all slides of a version played equally often.
TEST_F(StatisticsFile, KilledSaveLeavesTheOldOrTheNewFile) {
    Stats versions[2];
    for (int n = 0; n < 2; ++n)
        for (int i = 0; i < 300; ++i)
            versions[n].AddSlideResult(
                L"folie_" + std::to_wstring(n + 1) + L"_" + std::to_wstring(i), i, n + 1);
    const auto saveCopy = [this](Stats version) { return version.SaveFile(m_path); };
    // Kills land anywhere from before the first save to a few saves in, however fast saving
    // is in this build (a sanitizer build saves many times slower).
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(saveCopy(versions[1]) && saveCopy(versions[0]));
    const std::chrono::duration<double, std::micro> twoSaves =
        std::chrono::steady_clock::now() - start;
    std::mt19937 random(20261207);
    std::uniform_int_distribution<long long> delay(0, 4000 + std::llround(1.5 * twoSaves.count()));
    int sawNew = 0;
    for (int kill = 0; kill < 150; ++kill) {
        SCOPED_TRACE(kill);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) // saves the two versions in turn until it is killed
            for (int n = 1;; n ^= 1)
                saveCopy(versions[n]);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(child, SIGKILL);
        ASSERT_EQ(waitpid(child, nullptr, 0), child);
        Stats now;
        ASSERT_TRUE(now.LoadFile(m_path));
        ASSERT_EQ(now.GetSlides().size(), 600u);
        std::set<std::pair<char, int>> counts; // (version, played)
        for (const auto& [name, stat] : now.GetSlides())
            counts.insert({name[6], stat.played});
        ASSERT_EQ(counts.size(), 2u);
        sawNew += counts.begin()->second > 1 || counts.rbegin()->second > 1;
    }
    EXPECT_GT(sawNew, 0) << "no kill came after a finished save";
    ASSERT_TRUE(saveCopy(versions[0])); // clears what the killed saves left behind
    EXPECT_EQ(Files().size(), 1u);
}

} // namespace
