// Windows font descriptions turned into Qt fonts.
#include "platform/CQtFont.h"
#include "platform/CFont.h"

#include <QFontInfo>
#include <QFontMetrics>

#include <gtest/gtest.h>

namespace {

CLogFont Description(int height, const wchar_t* face, int weight = 400, bool italic = false) {
    CLogFont description;
    description.height = height;
    description.faceName = face;
    description.weight = weight;
    description.italic = italic;
    return description;
}

TEST(CQtFontTest, TimesResolvesToARealSerif) {
    const QString family = QFontInfo(CQtFont::FromLogFont(Description(-20, L"Times"))).family();
    EXPECT_FALSE(family.contains("Sans")) << family.toStdString();
}

// Negative heights are the character (em) height, positive ones the whole cell.
TEST(CQtFontTest, HeightsFollowTheWindowsSigns) {
    for (const wchar_t* face : {L"Times", L"Liberation Sans"}) {
        EXPECT_EQ(CQtFont::FromLogFont(Description(-13, face)).pixelSize(), 13);
        for (const auto& [height, cell] : {std::pair{22, 22}, std::pair{0, 16}}) {
            const QFontMetrics metrics(CQtFont::FromLogFont(Description(height, face)));
            EXPECT_NEAR(metrics.ascent() + metrics.descent(), cell, 1) << height;
        }
    }
}

TEST(CQtFontTest, StyleCarriesOverAndANeverCreatedFontIsTheApplicationFont) {
    CLogFont description = Description(-16, L"Liberation Serif", 700, true);
    description.underline = true;
    const QFont font = CQtFont::FromLogFont(description);
    EXPECT_TRUE(font.bold() && font.italic() && font.underline());
    EXPECT_EQ(CQtFont::FromLogFont(Description(-16, L"Liberation Serif", 0)).weight(),
              QFont::Normal)
        << "weight 0 means no preference";
    EXPECT_EQ(CQtFont::FromFont(CFont()), QFont());
}

} // namespace
