// "stats" against what editors, file managers and careless players do to it: nothing a player
// has earned may be lost, and no single entry may make a save fail.
#include "app/CGameStatistics.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

class StatisticsHardening : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "velmora-hard-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_path = (m_dir / "stats").string();
    }
    void TearDown() override { fs::remove_all(m_dir); }

    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void Write(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    // Files in the folder whose name starts with prefix.
    std::vector<fs::path> FilesStartingWith(const std::string& prefix) const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(m_dir))
            if (entry.path().filename().string().rfind(prefix, 0) == 0)
                found.push_back(entry.path());
        return found;
    }

    fs::path m_dir;
    std::string m_path;
};

std::string SavedText() {
    CGameStatistics stats;
    stats.AddCourseResult(L"Filter", 7, 50.0);
    stats.SetScoreName(L"Filter", 0, L"Jürgen");
    std::string text;
    EXPECT_TRUE(stats.SaveStatistics(text));
    return text;
}

// An editor that adds a line end, or a copy that gained blanks, keeps every score.
TEST_F(StatisticsHardening, WhiteSpaceAroundTheDigitsIsIgnored) {
    const std::string text = SavedText();
    const std::string cases[] = {text + "\n", text + "\r\n", " \t" + text + " \n\n", "\n" + text};
    for (const std::string& edited : cases) {
        Write(m_path, edited);
        CGameStatistics stats;
        EXPECT_TRUE(stats.LoadFile(m_path)) << edited.size();
        EXPECT_EQ(stats.GetCourses().at("Filter").scores.at(0).name, "Jürgen");
    }
    // White space inside the digits is damage, not decoration.
    std::string broken = text;
    broken.insert(broken.size() / 2, "\n");
    EXPECT_FALSE(CGameStatistics().LoadStatistics(broken.data(), broken.size()));
}

// A file that could not be read stays beside the new one, byte for byte, before the first save
// replaces it; a readable or empty file is simply replaced.
TEST_F(StatisticsHardening, UnreadableFileIsKeptAsideBeforeItIsReplaced) {
    const std::string unreadable[] = {"not hex at all", SavedText().substr(0, 20),
                                      std::string(CGameStatistics::MAX_TEXT_SIZE + 2, 'A')};
    for (const std::string& old : unreadable) {
        for (const fs::path& kept : FilesStartingWith("stats."))
            fs::remove(kept);
        Write(m_path, old);
        CGameStatistics stats;
        EXPECT_FALSE(stats.LoadFile(m_path));
        stats.AddSlideResult(L"s", 1, 1.0);
        ASSERT_TRUE(stats.SaveFile(m_path));
        ASSERT_TRUE(stats.SaveFile(m_path)); // a second save keeps no second copy
        const auto kept = FilesStartingWith("stats.unreadable-");
        ASSERT_EQ(kept.size(), 1u) << old.substr(0, 20);
        EXPECT_EQ(Read(kept[0]), old);
        EXPECT_TRUE(CGameStatistics().LoadFile(m_path));
    }
    for (const std::string& old : {std::string(), SavedText()}) {
        Write(m_path, old);
        for (const fs::path& kept : FilesStartingWith("stats."))
            fs::remove(kept);
        ASSERT_TRUE(CGameStatistics().SaveFile(m_path) || old.empty());
        EXPECT_TRUE(FilesStartingWith("stats.").empty());
    }
}

// A write-protected file is the player's way to freeze the list: it is left alone. A link is
// followed, and the file it names is replaced beside itself, so the link stays a link.
TEST_F(StatisticsHardening, ProtectedFileIsKeptAndLinkIsWrittenThrough) {
    const std::string old = SavedText();
    Write(m_path, old);
    fs::permissions(m_path, fs::perms::owner_read | fs::perms::group_read);
    CGameStatistics stats;
    stats.AddSlideResult(L"neu", 1, 1.0);
    EXPECT_FALSE(stats.SaveFile(m_path));
    EXPECT_EQ(Read(m_path), old);
    EXPECT_EQ(fs::directory_iterator(m_dir)->path(), fs::path(m_path));
    fs::remove(m_path);

    fs::create_directory(m_dir / "real");
    const fs::path target = m_dir / "real" / "stats-target";
    Write(target, old);
    for (const fs::path& link : {fs::path("real/stats-target"), target}) {
        fs::remove(m_path);
        fs::create_symlink(link, m_path);
        ASSERT_TRUE(stats.SaveFile(m_path));
        EXPECT_TRUE(fs::is_symlink(m_path));
        CGameStatistics loaded;
        ASSERT_TRUE(loaded.LoadFile(target.string()));
        EXPECT_EQ(loaded.GetSlides(), stats.GetSlides());
        EXPECT_EQ(std::distance(fs::directory_iterator(m_dir / "real"), {}), 1);
    }
}

// A FIFO or a folder named "stats" is no statistics file: not read, not replaced, no waiting.
TEST_F(StatisticsHardening, StatsThatIsNoFileIsLeftAlone) {
    ASSERT_EQ(mkfifo(m_path.c_str(), 0600), 0);
    CGameStatistics stats;
    stats.AddSlideResult(L"s", 1, 1.0);
    EXPECT_FALSE(stats.LoadFile(m_path)); // would wait for a writer forever
    EXPECT_FALSE(stats.SaveFile(m_path));
    EXPECT_TRUE(fs::is_fifo(m_path));
    fs::remove(m_path);
    fs::create_directory(m_path);
    EXPECT_FALSE(stats.LoadFile(m_path));
    EXPECT_FALSE(stats.SaveFile(m_path));
    EXPECT_TRUE(fs::is_directory(m_path));
}

// A pasted name of any length is cut, not a reason to lose the whole file at the end.
TEST_F(StatisticsHardening, NoSingleEntryMakesTheSaveFail) {
    CGameStatistics stats;
    stats.AddCourseResult(L"Kurs", 5, 20.0);
    ASSERT_TRUE(stats.SetScoreName(L"Kurs", 0, std::wstring(32767, L'W')));
    EXPECT_EQ(stats.GetScores(L"Kurs").at(0).name,
              std::string(CGameStatistics::MAX_NAME_LENGTH, 'W'));
    stats.AddSlideResult(std::wstring(70000, L'&'), 1, 1.0);
    stats.AddCourseResult(std::wstring(70000, L'ä'), 1, 1.0);
    ASSERT_TRUE(stats.SaveFile(m_path));
    CGameStatistics loaded;
    ASSERT_TRUE(loaded.LoadFile(m_path));
    EXPECT_EQ(loaded.GetCourses(), stats.GetCourses());
    EXPECT_EQ(loaded.GetSlides(), stats.GetSlides());
}

} // namespace
