#include "game/CNotchFilter.h"
#include "PlotFixture.h"
#include "common/CTempFolder.h"
#include "common/CWaveBytes.h"
#include "game/CElementFactory.h"
#include "game/CGameSlide.h"
#include "game/CSpectrumPlot.h"
#include "platform/CRandom.h"
#include "platform/CTestSoundOutput.h"
#include "platform/CText.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTest>

#include <cmath>
#include <numbers>

using game::CNotchFilter;
using game::ERR_NONE;

namespace {

constexpr COLORREF RED = RGB(200, 0, 0);

// A seed whose first draw puts the tone on this column of a 256-wide plot.
unsigned SeedFor(int column) {
    for (unsigned seed = 1;; ++seed) {
        CRandom::Seed(seed);
        if (CRandom::Next() % 100 + 28 == column) {
            CRandom::Seed(seed);
            return seed;
        }
    }
}

// A quiet, broad signal the tone stands out of: low noise.
std::vector<float> QuietNoise(int count) {
    std::vector<float> samples(static_cast<std::size_t>(count));
    unsigned state = 11;
    for (float& s : samples) {
        state = state * 1664525u + 1013904223u;
        s = (static_cast<float>(state >> 8) / 16777216.0f - 0.5f) * 0.02f;
    }
    return samples;
}

class NotchTest : public PlotFixture<CNotchFilter> {
protected:
    // A notch on signal 5, tone at the column of a 256-wide plot drawn by the seeded source.
    void Prepare(int toneColumn, const std::string& attributes, int count = 44100) {
        SeedFor(toneColumn);
        context.SetSignal(5, MakeSignal(QuietNoise(count), 44100));
        document = std::make_unique<tinyxml2::XMLDocument>(true, tinyxml2::COLLAPSE_WHITESPACE);
        ASSERT_EQ(document->Parse(("<notch id='7' example_from='5' " + attributes + "/>").c_str()),
                  tinyxml2::XML_SUCCESS);
        plot = std::unique_ptr<CNotchFilter>(dynamic_cast<CNotchFilter*>(
            game::CElementFactory::Create("notch", &context).release()));
        ASSERT_NE(plot, nullptr);
        CRect area{0, 0, 3000, 1000};
        ASSERT_EQ(plot->ReadXml(*document->RootElement(), area, WS_CHILD | WS_VISIBLE), ERR_NONE);
        ASSERT_EQ(plot->Prepare(), ERR_NONE);
    }
    void ClickAt(int x) {
        QTest::mouseClick(plot->Widget(), Qt::LeftButton, {}, QPoint(x, 10));
        CApplication::ProcessMessages();
    }
    // Power of the bin nearest to the frequency of a column of a 256-wide plot.
    static float PowerAt(const dsp::CSignal& signal, int column) {
        return signal.GetSpectrum().GetPower()[column * 1024 / 256];
    }
};

TEST_F(NotchTest, FactoryMakesItWithItsStepAndPoleRadius) {
    Prepare(40, "");
    EXPECT_EQ(plot->GetPoleRadius(), 0.9f);
    EXPECT_EQ(plot->GetStep(), 1.0f / 256);
    // b = 1, -2c, 1 and a = 1, -1.8c, 0.81 at the notch's frequency.
    const float c = std::cos(128 * (1.0f / 256) * 3.1415927f);
    const dsp::CFilter& filter = plot->GetFilter();
    ASSERT_EQ(filter.GetNumeratorCount(), 3);
    ASSERT_EQ(filter.GetDenominatorCount(), 3);
    EXPECT_EQ(filter.GetNumerator()[1], -2.0f * c);
    EXPECT_EQ(filter.GetDenominator()[1], -1.8f * c);
    EXPECT_EQ(filter.GetDenominator()[2], 0.81f);
}

TEST_F(NotchTest, ScoresOnlyWhenTheNotchSitsOnTheTone) {
    const struct {
        std::string attributes;
        int tone, solution, notch, points;
        int click; // -1: none
        int pointsAfter;
    } cases[] = {
        {"", 40, 40, 128, 0, 40, 1},
        {"", 40, 40, 128, 0, 41, 0},
        {"", 40, 40, 128, 0, 39, 0},
        {"solution='1'", 99, 99, 99, 1, -1, 1},
        {"solution='1'", 99, 99, 99, 1, 100, 0},
        {"width='512'", 40, 80, 128, 0, 80, 1},
        {"width='512'", 64, 128, 128, 1, -1, 1}, // drawn on 128: a lucky start
        {"width='100'", 127, 49, 128, 0, 49, 1},
    };
    CWnd shown;
    ASSERT_TRUE(shown.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 800, 300}, nullptr, 0));
    for (const auto& c : cases) {
        Prepare(c.tone, c.attributes);
        EXPECT_EQ(plot->GetSolution(), c.solution) << c.attributes << " tone " << c.tone;
        EXPECT_EQ(plot->GetNotch(), c.notch) << c.attributes;
        EXPECT_EQ(plot->GetPoints(), c.points) << c.attributes;
        if (c.click < 0)
            continue;
        ASSERT_EQ(plot->CreateElementWindow(&shown, 1), ERR_NONE);
        ClickAt(c.click);
        EXPECT_EQ(plot->GetNotch(), c.click);
        EXPECT_EQ(plot->GetPoints(), c.pointsAfter) << c.attributes << " click " << c.click;
        plot.reset();
    }
}

// A notch in another element's switch group takes part in drag-to-swap instead.
TEST_F(NotchTest, ClickMovesTheNotchOnlyOutsideForeignSwitchGroups) {
    CWnd shown;
    ASSERT_TRUE(shown.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 800, 300}, nullptr, 0));
    for (const auto& [group, moves] : {std::pair{"", true}, {"7", true}, {"3", false}}) {
        Prepare(50, std::string("switch='") + group + "'");
        ASSERT_EQ(plot->CreateElementWindow(&shown, 1), ERR_NONE);
        ClickAt(50);
        EXPECT_EQ(plot->GetNotch(), moves ? 50 : 128) << "switch " << group;
        plot.reset();
    }
}

TEST_F(NotchTest, FittingKeepsTheFrequencies) {
    Prepare(40, "");
    plot->ScaleHorizontal(1.5f);
    EXPECT_EQ(plot->GetSolution(), 60);
    EXPECT_EQ(plot->GetNotch(), 192);
    EXPECT_FLOAT_EQ(plot->GetStep() * 60, (1.0f / 256) * 40);
    EXPECT_EQ(plot->GetRect().Width(), 384);
}

// The tone is heard and seen in the input at the solution column's frequency, and the notch
// on it takes it out of the output by more than 20 dB.
TEST_F(NotchTest, TheNotchRemovesTheTone) {
    for (const auto& [tone, width] : {std::pair{28, 256}, {75, 512}, {127, 256}}) {
        Prepare(tone, "solution='1' spec_in='1' width='" + std::to_string(width) + "'");
        const dsp::CSignal& input = *plot->GetInput();
        const float* power = input.GetSpectrum().GetPower();
        const int peak = static_cast<int>(std::max_element(power, power + 1025) - power);
        // Column x stands for x / 256 of half the sample rate: bin 4x of 1024.
        EXPECT_NEAR(peak, tone * 4, 1) << tone;
        dsp::CSignal& output = *plot->GetOutput();
        ASSERT_TRUE(output.EnsureSpectrum());
        const double drop = 10 * std::log10(PowerAt(input, tone) / PowerAt(output, tone));
        EXPECT_GT(drop, 20.0) << tone;
        // Away from the notch the signal passes.
        const double elsewhere =
            10 * std::log10(PowerAt(input, tone + 60) / PowerAt(output, tone + 60));
        EXPECT_LT(std::fabs(elsewhere), 1.0) << tone;
    }
}

TEST_F(NotchTest, ResponseDipsAtTheNotch) {
    Prepare(60, "scale='log' width='256' height='128'");
    CWnd shown;
    ASSERT_TRUE(shown.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 800, 300}, nullptr, 0));
    ASSERT_EQ(plot->CreateElementWindow(&shown, 1), ERR_NONE);
    ClickAt(100);
    const QImage image = plot->Widget()->grab().toImage();
    // The curve is near the top everywhere but around the notch, where it falls to the bottom.
    int lowest = -1, lowestColumn = -1;
    for (int x = 0; x < 256; ++x)
        for (int y = 127; y >= 0; --y)
            if (PixelOf(image, x, y) == RED) {
                if (y > lowest)
                    lowest = y, lowestColumn = x;
                break;
            }
    EXPECT_NEAR(lowestColumn, 100, 2);
    EXPECT_GT(lowest, 100);
    for (const int i : {5, 50, 150, 190}) {
        const CPoint p = plot->GetTransferCurve()[i];
        EXPECT_EQ(PixelOf(image, p.x, p.y), RED) << i;
    }
}

// While the output plays, a click on the tone is heard from the next block on.
TEST_F(NotchTest, ClickWhilePlayingIsHeardFromTheNextBlock) {
    auto device = std::make_shared<CTestSoundOutput::Device>();
    const CSoundOutput::Factory previous = CTestSoundOutput::Install(device);
    Prepare(70, "");
    CWnd shown;
    ASSERT_TRUE(shown.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 800, 300}, nullptr, 0));
    ASSERT_EQ(plot->CreateElementWindow(&shown, 1), ERR_NONE);
    dsp::CSignal& output = *plot->GetOutput();
    const std::vector<float> before(output.GetSamples(), output.GetSamples() + 44100);
    ASSERT_TRUE(output.Play());
    ASSERT_TRUE(device->WaitForQueued(3));
    ClickAt(70);
    ASSERT_TRUE(device->FinishNext());
    ASSERT_TRUE(device->WaitForQueued(4));
    const int frames = output.GetBlockLength();
    const auto blocks = device->Queued();
    // Sample i of a queued block as the device got it.
    const auto played = [&](int block, int i) {
        const auto& bytes = blocks[block].bytes;
        return static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8) / 32768.0f;
    };
    double oldError = 0.0, newError = 0.0, toneDifference = 0.0;
    for (int i = 0; i < frames; ++i) {
        oldError += std::fabs(played(2, i) - before[2 * frames + i]);
        newError += std::fabs(played(3, i) - output.GetSamples()[3 * frames + i]);
        toneDifference += std::fabs(before[3 * frames + i] - output.GetSamples()[3 * frames + i]);
    }
    EXPECT_LT(oldError / frames, 1e-4) << "queued before the click: with the tone";
    EXPECT_LT(newError / frames, 1e-4) << "queued after the click: without it";
    EXPECT_GT(toneDifference / frames, 0.03) << "the click changed what is heard";
    output.Clear();
    CSoundOutput::SetFactory(previous);
}

TEST_F(NotchTest, InputWithoutSamplesFails) {
    context.SetSignal(5, std::make_unique<dsp::CSignal>());
    auto notch = game::CElementFactory::Create("notch", &context);
    tinyxml2::XMLDocument xml;
    xml.Parse("<notch id='7' example_from='5'/>");
    CRect area{0, 0, 256, 128};
    ASSERT_EQ(notch->ReadXml(*xml.RootElement(), area, WS_CHILD), ERR_NONE);
    EXPECT_EQ(notch->Prepare(), game::ERR_MEMORY);
    xml.Parse("<notch id='8' example_from='5' spec_in='1'/>");
    ASSERT_EQ(notch->ReadXml(*xml.RootElement(), area, WS_CHILD), ERR_NONE);
    auto second = game::CElementFactory::Create("notch", &context);
    ASSERT_EQ(second->ReadXml(*xml.RootElement(), area, WS_CHILD), ERR_NONE);
    EXPECT_EQ(second->Prepare(), game::ERR_PREPARE_FFT);
    EXPECT_EQ(second->Prepare(), game::ERR_PREPARE_FFT) << "a failed preparation binds nothing";
}

// A spectrum prepared before the notch added its tone shows the tone once it is on screen.
TEST(NotchOnASlide, EarlierPlotsShowTheTone) {
    CTempFolder folder;
    std::vector<std::int16_t> pcm(20000);
    unsigned state = 5;
    for (auto& v : pcm) {
        state = state * 1664525u + 1013904223u;
        v = static_cast<std::int16_t>(static_cast<int>(state >> 20) - 2048);
    }
    const std::wstring path = folder.Write("rauschen.wav", CWaveBytes::Mono16(pcm, 22050));
    const std::string xml = "<GameSlide><table rows='1' cols='3'><row><spectrum id='1' example='" +
                            CText::ToNarrow(path) +
                            "'/><spectrum id='2' example_from='1'/><notch id='3' "
                            "example_from='1'/></row></table></GameSlide>";
    tinyxml2::XMLDocument document(true, tinyxml2::COLLAPSE_WHITESPACE);
    ASSERT_EQ(document.Parse(xml.c_str()), tinyxml2::XML_SUCCESS);
    game::CGameContext master;
    game::CGameSlide slide(master, L"ton");
    CRect area{0, 0, 900, 300};
    ASSERT_EQ(slide.ReadXml(*document.RootElement(), area, WS_CHILD | WS_VISIBLE), ERR_NONE);
    CWnd host;
    ASSERT_TRUE(host.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 900, 300}, nullptr, 0));
    ASSERT_EQ(slide.CreateElementWindow(&host, 1), ERR_NONE);
    CApplication::ProcessMessages();
    const auto* notch = dynamic_cast<CNotchFilter*>(slide.Context().FindElement(3));
    ASSERT_NE(notch, nullptr);
    for (const int id : {1, 2}) {
        auto* spectrum = dynamic_cast<game::CSpectrumPlot*>(slide.Context().FindElement(id));
        ASSERT_NE(spectrum, nullptr);
        spectrum->Widget()->grab(); // painted
        const std::vector<int>& top = spectrum->GetEnvelope().TopRows();
        ASSERT_EQ(top.size(), 256u);
        EXPECT_EQ(std::min_element(top.begin(), top.end()) - top.begin(), notch->GetSolution())
            << id;
    }
    slide.DestroyWindow();
}

} // namespace
