// The player's recent tries on disk, which the progress view and the practice mode read back:
// each try written once and as it was made, even after a save that failed, and the recent ones.
#include "app/CTryLog.h"
#include "common/CTempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <tuple>

namespace {

namespace fs = std::filesystem;

TEST(TryLog, FailedSaveIsReportedAndItsTriesAreSavedOnceLater) {
    const std::string log =
        std::string(CTryLog::HEADER) + "\n2024-05-06 07:08:09\ta.xml\t1\t2\t3.5\n";
    const std::string longName(240, 'v'); // no room beside it for a temporary or a kept copy
    const std::tuple<std::string, std::string, fs::perms> cases[] = {
        {"fehlt/verlauf", "", fs::perms::none},       // a missing folder; no file
        {"verlauf", "kein Verlauf", fs::perms(0444)}, // protected by its owner
        {longName, log, fs::perms(0644)},             // cannot be replaced
        {longName, "kein Verlauf", fs::perms(0644)},  // cannot be kept aside before it is replaced
    };
    for (const auto& [name, old, mode] : cases) {
        SCOPED_TRACE(old);
        const CTempFolder temp;
        const fs::path dir = temp.Folder(), path = dir / name;
        if (!old.empty()) {
            temp.Write(name, old);
            fs::permissions(path, mode);
        }
        CTryLog tries;
        tries.Add(L"a.xml", 2, 4, 7.5);
        const std::vector<CTryLog::Try> made = tries.Tries();
        EXPECT_FALSE(tries.SaveFile(path.string()));
        EXPECT_EQ(ReadFile(path), old);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), old.empty() ? 0 : 1);
        const std::string next = (dir / "neu").string();
        ASSERT_TRUE(tries.SaveFile(next) && tries.SaveFile(next)); // the second has nothing new
        EXPECT_EQ(ReadFile(next), CTryLog::Format(made));
    }
}

// After a restart: a slide name with tabs or line breaks is still one try, a broken clock's
// time reads 0, a time of any length keeps its digits, and of more tries than the log holds,
// however they came, the oldest are gone.
TEST(TryLog, TriesComeBackAsMadeAndOnlyTheRecentOnesAreKept) {
    const CTempFolder temp;
    const std::string path = fs::path(temp.PathOf("verlauf")).string();
    CTryLog made, loaded;
    made.Add(L"Übung\t1\r\n.xml", 3, 4, std::nan(""));
    made.Add(L"b.xml", 4, 4, INFINITY);
    made.Add(L"c.xml", 0, 4, 61.5);
    made.Add(L"d.xml", 1, 4, 1.7e308);           // as a hand-edited log may hold it
    loaded.Add(L"vor dem Laden.xml", 1, 1, 1.0); // the file's tries take the place of this one
    ASSERT_TRUE(made.SaveFile(path) && loaded.LoadFile(path));
    EXPECT_EQ(loaded.Tries(), made.Tries());
    EXPECT_EQ(loaded.Tries().at(0).seconds, 0.0);
    EXPECT_EQ(loaded.Tries().at(1).seconds, 0.0);
    EXPECT_FALSE(loaded.LoadFile(path + ".fehlt"));
    ASSERT_TRUE(loaded.SaveFile(path));
    EXPECT_EQ(ReadFile(path), CTryLog::Format(made.Tries()));

    std::string many = std::string(CTryLog::HEADER) + "\n";
    CTryLog added, read;
    for (std::size_t i = 0; i <= CTryLog::MAX_TRIES; ++i) {
        added.Add(std::to_wstring(i), 1, 2, 1.0);
        many += "2024-05-06 07:08:09\t" + std::to_string(i) + "\t1\t2\t1.0\n";
    }
    ASSERT_TRUE(read.LoadFile(fs::path(temp.Write("viele", many)).string()));
    for (const CTryLog* kept : {&added, &read}) {
        ASSERT_EQ(kept->Tries().size(), CTryLog::MAX_TRIES);
        EXPECT_EQ(kept->Tries().front().slide, "1");
    }
}

} // namespace
