#include "game/CNotchFilter.h"
#include "PlotFixture.h"
#include "game/CElementFactory.h"
#include "game/CGameSlide.h"
#include "game/CSpectrumPlot.h"
#include "platform/CRandom.h"

using game::CNotchFilter;
using game::ERR_NONE;

class NotchTest : public PlotFixture<CNotchFilter> {
protected:
    // A notch made by the factory on quiet noise (signal 5) into which it puts its tone: the
    // seeded generator draws the tone on this column of a 256-wide plot.
    void Prepare(int toneColumn, const std::string& attributes, int samples = 44100) {
        for (unsigned seed = 1;; ++seed) {
            CRandom::Seed(seed);
            if (CRandom::Next() % 100 + 28 == toneColumn) {
                CRandom::Seed(seed);
                break;
            }
        }
        context.SetSignal(5, MakeSignal(Noise(samples, 11, 0.02f), 44100));
        document = std::make_unique<tinyxml2::XMLDocument>();
        document->Parse(("<notch id='7' example_from='5' " + attributes + "/>").c_str());
        plot.reset(dynamic_cast<CNotchFilter*>(
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
    // Power of the bin at the frequency of a column of a 256-wide plot.
    static float PowerAt(const dsp::CSignal& signal, int column) {
        return signal.GetSpectrum().GetPower()[column * 1024 / 256];
    }
};

// b = 1, -2c, 1 and a = 1, -1.8c, 0.81 at the notch's frequency; fitting keeps the frequencies.
TEST_F(NotchTest, CoefficientsAndFitting) {
    Prepare(40, "");
    EXPECT_EQ(plot->GetPoleRadius(), 0.9f);
    EXPECT_EQ(plot->GetStep(), 1.0f / 256);
    const float c = std::cos(128 * (1.0f / 256) * 3.1415927f);
    const dsp::CFilter& filter = plot->GetFilter();
    ASSERT_EQ(filter.GetNumeratorCount(), 3);
    ASSERT_EQ(filter.GetDenominatorCount(), 3);
    EXPECT_EQ(filter.GetNumerator()[1], -2.0f * c);
    EXPECT_EQ(filter.GetDenominator()[1], -1.8f * c);
    EXPECT_EQ(filter.GetDenominator()[2], 0.81f);
    plot->ScaleHorizontal(1.5f);
    EXPECT_EQ(plot->GetSolution(), 59); // where 384 columns draw bin 160
    EXPECT_EQ(plot->GetNotch(), 192);
    EXPECT_FLOAT_EQ(plot->GetStep() * 60, (1.0f / 256) * 40);
    EXPECT_EQ(plot->GetRect().Width(), 384);
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
        {"width='512'", 40, 79, 128, 0, 79, 1},
        {"width='530'", 62, 128, 128, 0, 128, 1}, // drawn on the start: no point unplaced
        {"width='100'", 127, 50, 128, 0, 50, 1},
        {"switch='7'", 50, 50, 128, 0, 50, 1},
        {"switch='3'", 50, 50, 128, 0, 50, 0}, // in another's group: drag-to-swap instead
    };
    for (const auto& c : cases) {
        Prepare(c.tone, c.attributes);
        EXPECT_EQ(plot->GetSolution(), c.solution) << c.attributes << " tone " << c.tone;
        EXPECT_EQ(plot->GetNotch(), c.notch) << c.attributes;
        EXPECT_EQ(plot->GetPoints(), c.points) << c.attributes;
        if (c.click < 0)
            continue;
        Show();
        ClickAt(c.click);
        EXPECT_EQ(plot->GetNotch(), c.attributes == "switch='3'" ? 128 : c.click) << c.attributes;
        EXPECT_EQ(plot->GetPoints(), c.pointsAfter) << c.attributes << " click " << c.click;
        plot.reset();
    }
}

// The tone is seen in the input at the solution column's frequency, and a click on it takes
// it out of the output by more than 20 dB while the rest passes.
TEST_F(NotchTest, ClickOnTheToneRemovesIt) {
    for (const auto& [tone, width] : {std::pair{28, 256}, {75, 512}, {127, 256}}) {
        Prepare(tone, "spec_in='1' width='" + std::to_string(width) + "'");
        const dsp::CSignal& input = *plot->GetInput();
        const float* power = input.GetSpectrum().GetPower();
        EXPECT_NEAR(std::max_element(power, power + 1025) - power, tone * 4, 1) << tone;
        Show();
        ClickAt(plot->GetSolution());
        dsp::CSignal& output = *plot->GetOutput();
        ASSERT_TRUE(output.EnsureSpectrum());
        EXPECT_GT(10 * std::log10(PowerAt(input, tone) / PowerAt(output, tone)), 20.0) << tone;
        const double elsewhere =
            10 * std::log10(PowerAt(input, tone + 60) / PowerAt(output, tone + 60));
        EXPECT_LT(std::fabs(elsewhere), 1.0) << tone;
        // The response curve is lowest at the notch.
        const auto& curve = plot->GetTransferCurve();
        const auto lowest = std::max_element(curve.begin(), curve.end(),
                                             [](CPoint p, CPoint q) { return p.y < q.y; });
        EXPECT_NEAR(lowest->x, plot->GetSolution(), width / 100) << tone;
        plot.reset();
    }
}

// Whatever the width, the point is where the player sees the tone: on the column of the
// tallest line drawn, and not two columns beside it. Every width with a tone of its own, and
// every tone on the bundled slides' width and on the reference width.
TEST_F(NotchTest, TheDrawnPeakScoresAtEveryWidth) {
    std::vector<std::pair<int, int>> cases; // width, tone
    for (int width = 64; width <= 1024; ++width)
        cases.emplace_back(width, 28 + width * 37 % 100);
    for (int tone = 28; tone < 128; ++tone)
        cases.insert(cases.end(), {{530, tone}, {256, tone}});
    for (const auto& [width, tone] : cases) {
        Prepare(tone, "spec_in='1' width='" + std::to_string(width) + "'", 2048);
        const std::vector<int>& top = plot->GetColumns().TopRows();
        ASSERT_EQ(top.size(), static_cast<std::size_t>(width));
        const int peak = static_cast<int>(std::min_element(top.begin(), top.end()) - top.begin());
        Show();
        for (const int offset : {-2, 2, 0}) {
            ClickAt(peak + offset);
            EXPECT_EQ(plot->GetPoints(), offset == 0) << width << " " << tone << " " << offset;
        }
        plot.reset();
    }
}

TEST_F(NotchTest, InputWithoutSamplesFails) {
    context.SetSignal(5, std::make_unique<dsp::CSignal>());
    tinyxml2::XMLDocument xml;
    CRect area{0, 0, 256, 128};
    auto notch = game::CElementFactory::Create("notch", &context);
    xml.Parse("<notch id='7' example_from='5'/>");
    ASSERT_EQ(notch->ReadXml(*xml.RootElement(), area, WS_CHILD), ERR_NONE);
    EXPECT_EQ(notch->Prepare(), game::ERR_MEMORY);
    notch = game::CElementFactory::Create("notch", &context);
    xml.Parse("<notch id='8' example_from='5' spec_in='1'/>");
    ASSERT_EQ(notch->ReadXml(*xml.RootElement(), area, WS_CHILD), ERR_NONE);
    EXPECT_EQ(notch->Prepare(), game::ERR_PREPARE_FFT);
    EXPECT_EQ(notch->Prepare(), game::ERR_PREPARE_FFT) << "a failed preparation binds nothing";
}

// A spectrum prepared before the notch added its tone shows the tone once it is on screen.
TEST(NotchOnASlide, EarlierPlotsShowTheTone) {
    CTempFolder folder;
    std::vector<std::int16_t> pcm;
    for (const float v : Noise(20000, 5, 4096))
        pcm.push_back(static_cast<std::int16_t>(v));
    const std::wstring path = folder.Write("rauschen.wav", CWaveBytes::Mono16(pcm, 22050));
    const std::string xml = "<GameSlide><table rows='1' cols='3'><row><spectrum id='1' example='" +
                            CText::ToNarrow(path) +
                            "'/><spectrum id='2' example_from='1'/><notch id='3' "
                            "example_from='1'/></row></table></GameSlide>";
    tinyxml2::XMLDocument document;
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
