// Text encodings, file names and folder listings, and the per-thread random numbers.
#include "platform/CText.h"
#include "common/CTempFolder.h"
#include "platform/CDirectory.h"
#include "platform/CRandom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <thread>

namespace {

TEST(CText, Utf8AndWindows1252) {
    const struct {
        std::string bytes;
        std::wstring text;
    } cases[] = {
        {"Grüße", L"Grüße"},                                             // UTF-8
        {"Gr\xFC\xDF\x65", L"Grüße"},                                    // Windows-1252
        {"\x80 \x93x\x94\x8B\x96", L"\u20AC \u201Cx\u201D\u2039\u2013"}, // 1252's own 0x80..0x9F
        {"\xC3", L"\u00C3"},                                             // cut-off UTF-8 sequence
        {"\xC0\xAF", L"\u00C0\u00AF"},       // overlong form is not UTF-8
        {"\xF0\x9F\x8E\xB5", L"\U0001F3B5"}, // four bytes
        {"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CText::ToWide(c.bytes), c.text) << c.bytes;
        EXPECT_EQ(CText::ToWide(CText::ToNarrow(c.text)), c.text);
    }
    EXPECT_EQ(CText::ToNarrow(std::wstring(1, wchar_t(0xD800))), "\xEF\xBF\xBD")
        << "a lone surrogate";
}

TEST(CDirectory, ListsMatchingFilesByNameCaseInsensitively) {
    const CTempFolder dir;
    std::filesystem::create_directories(std::filesystem::path(dir.Folder()) / "sub.wav");
    for (const char* name : {"b.WAV", "a.wav", "c.wave", "d.xml", "wav", "e.Wav"})
        dir.Write(name, "x");
    const auto names = CDirectory::List(dir.Folder(), L"*.wav");
    EXPECT_EQ(names, (std::vector<std::wstring>{L"a.wav", L"b.WAV", L"e.Wav"}));
    EXPECT_TRUE(CDirectory::List(L"/no/such/folder", L"*.wav").empty());
}

// Names from the file system keep their bytes on the way to the game and back to open(); a
// slide's path may use either separator.
TEST(CDirectory, EveryNameComesBackByteForByte) {
    const std::string names[] = {"\xE4rger.wav", "caf\xC3\xA9\xFF.wav", "\xC3",
                                 "\xED\xB2\x80", "\xF0\x9F\x8E\xB5 ok", "\xC0\xAF",
                                 "plain.wav"};
    for (const std::string& name : names)
        EXPECT_EQ(CDirectory::NativePath(CDirectory::FromNative(name)), name) << name;
    EXPECT_EQ(CDirectory::FromNative("Übung"), L"Übung") << "valid UTF-8 is text";
    EXPECT_EQ(CDirectory::NativePath(L"beispiele\\Übung.wav"), "beispiele/Übung.wav");
    for (const auto& [path, name] :
         {std::pair{L"slides\\kurs1/a.xml", L"a.xml"}, {L"a.xml", L"a.xml"}, {L"dir/", L""}})
        EXPECT_EQ(CDirectory::FileName(path), name);
}

// The random tasks and the random player repeat from a seed on any thread, in range.
TEST(CRandom, PerThreadSequencesInRange) {
    const auto sequence = [] {
        CRandom::Seed(1234);
        std::vector<int> values(1000);
        std::generate(values.begin(), values.end(), [] { return CRandom::Next(); });
        return values;
    };
    const std::vector<int> here = sequence();
    std::vector<int> there;
    std::thread([&] { there = sequence(); }).join();
    EXPECT_EQ(here, there);
    EXPECT_TRUE(
        std::all_of(here.begin(), here.end(), [](int v) { return v >= 0 && v <= CRandom::MAX; }));
    EXPECT_GT(std::set<int>(here.begin(), here.end()).size(), 900u);
}

} // namespace
