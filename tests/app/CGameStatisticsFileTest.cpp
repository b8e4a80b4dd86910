// The "stats" file on disk: round trips, restarts, failed saves and the exclusive lock.
#include "app/CGameStatistics.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
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
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void WriteBytes(const std::string& path, const std::string& bytes) const {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::size_t FilesInDirectory() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_dir), {}));
    }

    fs::path m_dir;
    std::string m_path;
};

// Holds the lock the way another running copy of the game would.
class ForeignLock {
public:
    explicit ForeignLock(const std::string& path) : m_fd(open(path.c_str(), O_RDONLY)) {
        EXPECT_EQ(flock(m_fd, LOCK_EX), 0);
    }
    ~ForeignLock() { close(m_fd); }

private:
    int m_fd;
};

// Makes every write that would grow a file beyond a few bytes fail, as a full disk would;
// root is not exempt from this limit.
class FullDisk {
public:
    FullDisk() {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit tiny{16, m_saved.rlim_max};
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    }
    ~FullDisk() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
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

} // namespace

TEST_F(StatisticsFile, RoundTripLeavesOnlyTheHexadecimalFile) {
    const CGameStatistics saved = SampleStatistics();
    ASSERT_TRUE(saved.SaveFile(m_path));
    ASSERT_TRUE(saved.SaveFile(m_path)); // replacing an existing file as well

    CGameStatistics loaded;
    ASSERT_TRUE(loaded.LoadFile(m_path));
    EXPECT_EQ(loaded.GetSlides(), saved.GetSlides());
    EXPECT_EQ(loaded.GetCourses(), saved.GetCourses());
    EXPECT_EQ(ReadBytes().find_first_not_of("0123456789ABCDEF"), std::string::npos);
    EXPECT_EQ(FilesInDirectory(), 1u); // no temporary file left behind
}

TEST_F(StatisticsFile, ElevenScoresKeepTheBestTenAfterARestart) {
    CGameStatistics stats;
    for (int points = 1; points <= 11; ++points)
        stats.AddCourseResult(L"K", points, 60.0);
    ASSERT_EQ(stats.GetScores(L"K").size(), 11u);
    EXPECT_TRUE(stats.SetScoreName(L"K", 10, L"Letzter")); // still there until the program ends
    ASSERT_TRUE(stats.SaveFile(m_path));

    CGameStatistics restarted;
    ASSERT_TRUE(restarted.LoadFile(m_path));
    const CGameStatistics::ScoreList& scores = restarted.GetScores(L"K");
    ASSERT_EQ(scores.size(), 10u);
    EXPECT_EQ(scores.front().points, 11);
    EXPECT_EQ(scores.back().points, 2);
    EXPECT_EQ(restarted.GetCourses().at("K").played, 11);
}

TEST_F(StatisticsFile, MissingOrUnreadableFileStartsEmptyAndIsReplaced) {
    for (const char* content : {static_cast<const char*>(nullptr), "", "not hex", "4C6A5C"}) {
        fs::remove(m_path);
        if (content != nullptr)
            WriteBytes(m_path, content);
        CGameStatistics stats;
        EXPECT_FALSE(stats.LoadFile(m_path));
        EXPECT_TRUE(stats.GetSlides().empty() && stats.GetCourses().empty());
        EXPECT_EQ(fs::exists(m_path), content != nullptr); // loading never creates the file

        stats.AddSlideResult(L"s", 1, 1.0);
        ASSERT_TRUE(stats.SaveFile(m_path));
        CGameStatistics next;
        EXPECT_TRUE(next.LoadFile(m_path));
        EXPECT_EQ(next.GetSlides(), stats.GetSlides());
    }
}

TEST_F(StatisticsFile, SaveTooLongForTheFileLeavesThePreviousOne) {
    CGameStatistics tooLong;
    tooLong.AddSlideResult(std::wstring(70000, L'x'), 1, 1.0);

    EXPECT_FALSE(tooLong.SaveFile(m_path));
    EXPECT_FALSE(fs::exists(m_path)); // not even an empty file where there was none

    ASSERT_TRUE(SampleStatistics().SaveFile(m_path));
    const std::string before = ReadBytes();
    fs::permissions(m_path, fs::perms(0640));
    EXPECT_FALSE(tooLong.SaveFile(m_path));
    EXPECT_EQ(ReadBytes(), before);
    EXPECT_EQ(FilesInDirectory(), 1u);

    ASSERT_TRUE(SampleStatistics().SaveFile(m_path));
    EXPECT_EQ(fs::status(m_path).permissions(), fs::perms(0640)); // a save keeps the file's mode
}

TEST_F(StatisticsFile, SaveThatCannotBeWrittenLeavesThePreviousOne) {
    {
        FullDisk full;
        EXPECT_FALSE(SampleStatistics().SaveFile(m_path));
    }
    EXPECT_EQ(FilesInDirectory(), 0u); // neither a temporary nor an empty "stats" left

    CGameStatistics previous;
    previous.AddSlideResult(L"s", 1, 1.0);
    ASSERT_TRUE(previous.SaveFile(m_path));
    const std::string before = ReadBytes();
    {
        FullDisk full;
        EXPECT_FALSE(SampleStatistics().SaveFile(m_path));
    }
    EXPECT_EQ(ReadBytes(), before);
    EXPECT_EQ(FilesInDirectory(), 1u);
}

TEST_F(StatisticsFile, LoadingAndSavingWaitForAnotherHolderOfTheLock) {
    ASSERT_TRUE(SampleStatistics().SaveFile(m_path));
    const auto load = [this] { return CGameStatistics().LoadFile(m_path); };
    const auto save = [this] { return SampleStatistics().SaveFile(m_path); };
    for (const auto& operation : {std::function<bool()>(load), std::function<bool()>(save)}) {
        std::future<bool> done;
        {
            ForeignLock other(m_path);
            done = std::async(std::launch::async, operation);
            EXPECT_EQ(done.wait_for(200ms), std::future_status::timeout);
        }
        EXPECT_TRUE(done.get());
    }
}

TEST_F(StatisticsFile, ReaderWaitingForTheLockReadsTheFileThatReplacedTheOldOne) {
    ASSERT_TRUE(SampleStatistics().SaveFile(m_path));
    CGameStatistics newer;
    newer.AddSlideResult(L"neu.xml", 9, 9.0);
    const std::string newerPath = m_path + ".new";
    ASSERT_TRUE(newer.SaveFile(newerPath));

    CGameStatistics reader;
    std::future<bool> done;
    {
        ForeignLock writer(m_path);
        done = std::async(std::launch::async, [&] { return reader.LoadFile(m_path); });
        EXPECT_EQ(done.wait_for(200ms), std::future_status::timeout);
        fs::rename(newerPath, m_path); // the writer puts its new file in place, then lets go
    }
    ASSERT_TRUE(done.get());
    EXPECT_EQ(reader.GetSlides(), newer.GetSlides());
}
