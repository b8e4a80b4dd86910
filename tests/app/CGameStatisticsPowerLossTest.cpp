// A game killed while it saves (power loss, a killed session) leaves "stats" whole: the old or
// the new content, never a mixture, never an empty or cut file.
#include "app/CGameStatistics.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

namespace {

namespace fs = std::filesystem;

CGameStatistics Version(int n) {
    CGameStatistics stats;
    // Large enough that writing it takes a while, different in every byte position.
    for (int i = 0; i < 300; ++i)
        stats.AddSlideResult(L"folie_" + std::to_wstring(n) + L"_" + std::to_wstring(i), i, n);
    return stats;
}

std::string TextOf(const CGameStatistics& stats) {
    std::string text;
    EXPECT_TRUE(stats.SaveStatistics(text));
    return text;
}

TEST(StatisticsPowerLoss, KilledSaveLeavesTheOldOrTheNewFile) {
    std::string folder = (fs::temp_directory_path() / "velmora-kill-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    const std::string path = folder + "/stats";
    const CGameStatistics versions[] = {Version(1), Version(2)};
    const std::string texts[] = {TextOf(versions[0]), TextOf(versions[1])};
    // Kills land anywhere from before the first save to a few saves in, however fast saving
    // is in this build (a sanitizer build saves many times slower).
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(versions[1].SaveFile(path));
    ASSERT_TRUE(versions[0].SaveFile(path));
    const auto save = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count() /
                      2;

    std::mt19937 random(20261207);
    std::uniform_int_distribution<long long> delay(0, 4000 + 3 * save); // microseconds
    constexpr int KILLS = 150;
    int sawNew = 0;
    for (int kill = 0; kill < KILLS; ++kill) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Saves the two versions in turn until it is killed; only file work happens here.
            for (int n = 1;; n ^= 1)
                versions[n].SaveFile(path);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        std::ifstream in(path, std::ios::binary);
        const std::string now{std::istreambuf_iterator<char>(in), {}};
        ASSERT_TRUE(now == texts[0] || now == texts[1])
            << "kill " << kill << " left " << now.size() << " bytes";
        sawNew += now == texts[1];
        CGameStatistics loaded;
        ASSERT_TRUE(loaded.LoadFile(path));
    }
    EXPECT_GT(sawNew, 0) << "no kill came after a finished save";
    // The next save clears what the killed ones left behind.
    ASSERT_TRUE(versions[0].SaveFile(path));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);
    fs::remove_all(folder);
}

} // namespace
