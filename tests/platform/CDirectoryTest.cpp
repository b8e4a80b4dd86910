// Names from the file system keep their bytes on the way to the game and back to open().
#include "platform/CDirectory.h"

#include <gtest/gtest.h>

namespace {

TEST(CDirectory, EveryNameComesBackByteForByte) {
    const std::string names[] = {"\xE4rger.wav", "caf\xC3\xA9\xFF.wav", "\xC3", "\xED\xB2\x80",
                                 "\xF0\x9F\x8E\xB5 ok", "\xC0\xAF", "plain.wav"};
    for (const std::string& name : names)
        EXPECT_EQ(CDirectory::NativePath(CDirectory::FromNative(name)), name) << name;
    // Valid UTF-8 reads as the text it is.
    EXPECT_EQ(CDirectory::FromNative("\xC3\x9c" "bung"), L"Übung");
    EXPECT_EQ(CDirectory::NativePath(L"beispiele\\Übung.wav"), "beispiele/\xC3\x9c" "bung.wav");
}

} // namespace
