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
    const QFontInfo info(CQtFont::FromLogFont(Description(-20, L"Times")));
    const QString family = info.family();
    EXPECT_FALSE(family.contains("Sans")) << family.toStdString();
    EXPECT_TRUE(family.contains("Serif") || family.contains("Roman") || family.contains("Times"))
        << family.toStdString();
}

// Negative heights are the character (em) height, positive ones the whole cell.
TEST(CQtFontTest, HeightsFollowTheWindowsSigns) {
    struct Case {
        int height;
        int emPixels;   // 0: not checked
        int cellPixels; // 0: not checked
    };
    const Case cases[] = {{-20, 20, 0}, {-13, 13, 0}, {22, 0, 22}, {40, 0, 40}, {0, 0, 16}};
    for (const wchar_t* face : {L"Times", L"Liberation Sans"}) {
        for (const Case& c : cases) {
            const QFont font = CQtFont::FromLogFont(Description(c.height, face));
            if (c.emPixels != 0) {
                EXPECT_EQ(font.pixelSize(), c.emPixels) << c.height;
            }
            if (c.cellPixels != 0) {
                const QFontMetrics metrics(font);
                EXPECT_NEAR(metrics.ascent() + metrics.descent(), c.cellPixels, 1) << c.height;
            }
        }
    }
}

TEST(CQtFontTest, WeightItalicAndUnderlineCarryOver) {
    CLogFont description = Description(-16, L"Liberation Serif", 700, true);
    description.underline = true;
    const QFont font = CQtFont::FromLogFont(description);
    EXPECT_TRUE(font.bold());
    EXPECT_TRUE(font.italic());
    EXPECT_TRUE(font.underline());
    EXPECT_EQ(CQtFont::FromLogFont(Description(-16, L"Liberation Serif", 0)).weight(),
              QFont::Normal)
        << "weight 0 means no preference";
}

TEST(CQtFontTest, ANeverCreatedFontIsTheApplicationFont) {
    const CFont font;
    EXPECT_EQ(CQtFont::FromFont(font), QFont());
    CFont created;
    created.CreateFontIndirect(Description(-18, L"Times"));
    EXPECT_EQ(CQtFont::FromFont(created).pixelSize(), 18);
}

} // namespace
