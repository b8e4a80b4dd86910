// The "stats" file on disk: round trips, restarts, failed saves and the exclusive lock.
#include "app/CGameStatistics.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class StatisticsFile : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "velmora-stats-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_path = (m_dir / "stats").string();
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string ReadBytes() const {
        std::ifstream in(m_path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::size_t Files() const { return std::distance(fs::directory_iterator(m_dir), {}); }

    fs::path m_dir;
    std::string m_path;
};

// Holds the lock the way another running copy of the game would.
struct ForeignLock {
    explicit ForeignLock(const std::string& path) : fd(open(path.c_str(), O_RDONLY)) {
        EXPECT_EQ(flock(fd, LOCK_EX), 0);
    }
    ~ForeignLock() { close(fd); }
    int fd;
};

// Every write that would grow a file beyond a few bytes fails, as on a full disk.
struct FullDisk {
    FullDisk() : handler(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit tiny{16, saved.rlim_max};
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    }
    ~FullDisk() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
    }
    void (*handler)(int);
    rlimit saved{};
};

CGameStatistics SampleStatistics() {
    CGameStatistics stats;
    stats.AddSlideResult(L"spektrum.xml", 3, 12.5);
    stats.AddSlideResult(L"Übung.xml", 1, 4.0);
    stats.AddCourseResult(L"Filter", 7, 50.0);
    stats.SetScoreName(L"Filter", 0, L"Jürgen");
    stats.GetScores(L"Nie gespielt");
    return stats;
}

TEST_F(StatisticsFile, RoundTripLeavesOnlyTheHexadecimalFile) {
    const CGameStatistics saved = SampleStatistics();
    ASSERT_TRUE(saved.SaveFile(m_path));
    ASSERT_TRUE(saved.SaveFile(m_path)); // replacing an existing file as well
    CGameStatistics loaded;
    ASSERT_TRUE(loaded.LoadFile(m_path));
    EXPECT_EQ(loaded.GetSlides(), saved.GetSlides());
    EXPECT_EQ(loaded.GetCourses(), saved.GetCourses());
    EXPECT_EQ(ReadBytes().find_first_not_of("0123456789ABCDEF"), std::string::npos);
    EXPECT_EQ(Files(), 1u); // no temporary file left behind
}

TEST_F(StatisticsFile, ElevenScoresKeepTheBestTenAfterARestart) {
    CGameStatistics stats, restarted;
    for (int points = 1; points <= 11; ++points)
        stats.AddCourseResult(L"K", points, 60.0);
    EXPECT_TRUE(stats.SetScoreName(L"K", 10, L"Letzter")); // still there until the program ends
    ASSERT_TRUE(stats.SaveFile(m_path));
    ASSERT_TRUE(restarted.LoadFile(m_path));
    const CGameStatistics::ScoreList& scores = restarted.GetScores(L"K");
    ASSERT_EQ(scores.size(), 10u);
    EXPECT_EQ(scores.front().points, 11);
    EXPECT_EQ(scores.back().points, 2);
    EXPECT_EQ(restarted.GetCourses().at("K").played, 11);
}

TEST_F(StatisticsFile, MissingOrUnreadableFileStartsEmptyAndIsReplaced) {
    for (const bool exists : {false, true}) {
        if (exists)
            std::ofstream(m_path) << "not hex";
        CGameStatistics stats, next;
        EXPECT_FALSE(stats.LoadFile(m_path));
        EXPECT_TRUE(stats.GetSlides().empty() && stats.GetCourses().empty());
        EXPECT_EQ(fs::exists(m_path), exists) << "loading never creates the file";
        stats.AddSlideResult(L"s", 1, 1.0);
        ASSERT_TRUE(stats.SaveFile(m_path));
        EXPECT_TRUE(next.LoadFile(m_path));
        EXPECT_EQ(next.GetSlides(), stats.GetSlides());
    }
}

// A save that fails, because the text is too long or the disk is full, leaves the previous
// file as it was, or no file where there was none.
TEST_F(StatisticsFile, FailedSaveLeavesThePreviousFile) {
    CGameStatistics tooLong; // many long names together
    for (int i = 0; i < 400; ++i)
        tooLong.AddSlideResult(std::to_wstring(i) + std::wstring(200, L'x'), 1, 1.0);
    const std::function<bool()> failures[] = {
        [&] { return tooLong.SaveFile(m_path); },
        [&] {
            FullDisk full;
            return SampleStatistics().SaveFile(m_path);
        }};
    for (const auto& save : failures) {
        fs::remove(m_path);
        EXPECT_FALSE(save());
        EXPECT_EQ(Files(), 0u) << "neither a temporary nor an empty file";
        CGameStatistics previous;
        previous.AddSlideResult(L"s", 1, 1.0);
        ASSERT_TRUE(previous.SaveFile(m_path));
        fs::permissions(m_path, fs::perms(0640));
        const std::string before = ReadBytes();
        EXPECT_FALSE(save());
        EXPECT_EQ(ReadBytes(), before);
        EXPECT_EQ(Files(), 1u);
        ASSERT_TRUE(previous.SaveFile(m_path));
        EXPECT_EQ(fs::status(m_path).permissions(), fs::perms(0640)) << "a save keeps the mode";
    }
}

TEST_F(StatisticsFile, LoadingAndSavingWaitForAnotherHolderOfTheLock) {
    ASSERT_TRUE(SampleStatistics().SaveFile(m_path));
    const std::function<bool()> operations[] = {
        [this] { return CGameStatistics().LoadFile(m_path); },
        [this] { return SampleStatistics().SaveFile(m_path); }};
    for (const auto& operation : operations) {
        std::future<bool> done;
        {
            ForeignLock other(m_path);
            done = std::async(std::launch::async, operation);
            EXPECT_EQ(done.wait_for(200ms), std::future_status::timeout);
        }
        EXPECT_TRUE(done.get());
    }
}

} // namespace
