#include "game/CNotchFilter.h"
#include "PlotFixture.h"
#include "game/CElementFactory.h"
#include "game/CGameSlide.h"
#include "game/CSpectrumPlot.h"
#include "game/CToneSequence.h"

#include <ctime>

using game::CListeningButtons;
using game::CNotchFilter;
using game::ERR_NONE;

static constexpr COLORREF ANSWER_BLUE = RGB(0, 0, 255), BLACK = RGB(0, 0, 0);

class NotchTest : public PlotFixture<CNotchFilter> {
protected:
    // A notch made by the factory on quiet noise (signal 5) into which it puts its tone: the
    // seeded sequence draws the tone on this column of a 256-wide plot. The code of reading and
    // preparing it in where (by default, the fixture's context).
    int Make(int toneColumn, const std::string& attributes, int samples = 44100,
             game::CGameContext* where = nullptr) {
        unsigned seed = 1;
        while ((game::CToneSequence::Seed(seed), game::CToneSequence::Next(28, 100)) != toneColumn)
            ++seed;
        game::CToneSequence::Seed(seed);
        plot.reset(); // before its input goes
        where = where != nullptr ? where : &context;
        where->SetSignal(5, MakeSignal(Noise(samples, 11, 0.02f), 44100));
        document = std::make_unique<tinyxml2::XMLDocument>();
        document->Parse(("<notch id='7' example_from='5' " + attributes + "/>").c_str());
        plot.reset(dynamic_cast<CNotchFilter*>(
            game::CElementFactory::Create("notch", where).release()));
        CRect area{0, 0, 3000, 1000};
        const int read = plot->ReadXml(*document->RootElement(), area, WS_CHILD | WS_VISIBLE);
        return read != ERR_NONE ? read : plot->Prepare();
    }
    void Prepare(int toneColumn, const std::string& attributes, int samples = 44100) {
        ASSERT_EQ(Make(toneColumn, attributes, samples), ERR_NONE);
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

// The notch is b = 1, -2c, 1 and a = 1, -1.8c, 0.81 at its frequency (c = cos w), as narrow as
// the exercise is drawn; a table stretched to fit the slide keeps the frequencies.
TEST_F(NotchTest, NotchCoefficientsAndFitting) {
    Prepare(40, "");
    const float c = std::cos(128 * (1.0f / 256) * 3.1415927f);
    const dsp::CFilter& filter = plot->GetFilter();
    EXPECT_EQ(Values(filter.GetNumerator(), 3), (std::vector<float>{1.0f, -2.0f * c, 1.0f}));
    EXPECT_EQ(Values(filter.GetDenominator(), 3), (std::vector<float>{1.0f, -1.8f * c, 0.81f}));
    const float step = plot->GetStep();
    plot->ScaleHorizontal(1.5f);
    EXPECT_EQ(plot->GetSolution(), 59); // where 384 columns draw bin 160
    EXPECT_EQ(plot->GetNotch(), 192);
    EXPECT_FLOAT_EQ(plot->GetStep() * 60, step * 40);
    EXPECT_EQ(plot->GetRect().Width(), 384);
}

// The point goes to the notch on the tone's column (as drawn at any width), or, with a
// tolerance, half the points (rounded down) near it; at 44100 Hz a column of a 256-wide plot is
// 86.1 Hz. A notch in another's switch group is dragged to swap instead; a notch drawn on the
// start scores nothing unplaced.
TEST_F(NotchTest, ScoresOnlyWhenTheNotchSitsOnTheTone) {
    const struct {
        std::string attributes;
        int tone, solution, notch, points;
        int click; // -1: none
        int pointsAfter;
    } cases[] = {
        {"", 40, 40, 128, 0, 40, 1},               {"", 40, 40, 128, 0, 41, 0},
        {"", 40, 40, 128, 0, 39, 0},               {"points='4'", 40, 40, 128, 0, 40, 4},
        {"solution='1'", 99, 99, 99, 1, -1, 1},    {"solution='1'", 99, 99, 99, 1, 100, 0},
        {"width='512'", 40, 79, 128, 0, 79, 1},    {"width='530'", 62, 128, 128, 0, 128, 1},
        {"width='100'", 127, 50, 128, 0, 50, 1},   {"switch='7'", 50, 50, 128, 0, 50, 1},
        {"points='4' tolerance_hz='100'", 40, 40, 128, 0, 40, 4},
        {"points='4' tolerance_hz='100'", 40, 40, 128, 0, 41, 2},  // 86.1 Hz off
        {"points='3' tolerance_hz='86.2'", 40, 40, 128, 0, 39, 1}, // 86.1 Hz off
        {"points='4' tolerance_hz='100'", 40, 40, 128, 0, 42, 0},  // 172.3 Hz off
        {"points='4' tolerance_hz='86'", 40, 40, 128, 0, 41, 0},
        {"switch='3'", 50, 50, 128, 0, 50, 0}, // the context keeps the group: the last row
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attributes + " tone " + std::to_string(c.tone));
        Prepare(c.tone, c.attributes);
        EXPECT_EQ(plot->GetSolution(), c.solution);
        EXPECT_EQ(plot->GetNotch(), c.notch);
        EXPECT_EQ(plot->GetPoints(), c.points);
        if (c.click < 0)
            continue;
        Show();
        ClickAt(c.click);
        EXPECT_EQ(plot->GetNotch(), c.attributes == "switch='3'" ? 128 : c.click);
        EXPECT_EQ(plot->GetPoints(), c.pointsAfter) << "click " << c.click;
    }
    // A tolerance that is no frequency refuses the slide and says where.
    for (const auto& [attributes, quoted] :
         {std::pair{"tolerance_hz='-5'", L"\"-5\""}, {"tolerance_hz='nan'", L"\"nan\""},
          {"tolerance_hz='weit'", L"\"weit\""}, {"tolerance_hz='50 Hz'", L"\"50 Hz\""},
          {"tolerance_hz='22051'", L"22050 Hz"}}) {
        game::CGameContext fresh; // the first reason of a context stands
        EXPECT_EQ(Make(40, attributes, 44100, &fresh), game::ERR_UNKNOWN_ELEMENT) << attributes;
        EXPECT_EQ(fresh.FailedElement(), 7) << attributes;
        const std::wstring& reason = fresh.FailureReason();
        EXPECT_TRUE(reason.find(L"Zeile 1:") != reason.npos && reason.find(quoted) != reason.npos)
            << CText::ToNarrow(reason);
        plot.reset(); // before the context it was made in
    }
}

// The tone is seen in the input at the solution column's frequency, and a click on it takes
// it out of the output by more than 20 dB while the rest passes, the response lowest there.
// After evaluation, and only then, a dashed line with a triangle on the tone's column and both
// frequencies in whole Hz; a click no longer moves the notch.
TEST_F(NotchTest, ClickOnTheToneRemovesItAndEvaluationShowsTheAnswer) {
    const struct {
        int tone, width, click;
        const wchar_t* text; // nullptr: not checked
    } cases[] = {
        {28, 256, 50, nullptr}, {75, 512, 50, nullptr}, {127, 256, 50, nullptr},
        {40, 256, 50, L"Ton: 3445 Hz, deine Kerbe: 4307 Hz"},
        {99, 530, 300, L"Ton: 8527 Hz, deine Kerbe: 12481 Hz"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "tone " << c.tone << " width " << c.width);
        Prepare(c.tone, "spec_in='1' width='" + std::to_string(c.width) + "'");
        const dsp::CSignal& input = *plot->GetInput();
        const float* power = input.GetSpectrum().GetPower();
        EXPECT_NEAR(std::max_element(power, power + 1025) - power, c.tone * 4, 1);
        Show();
        const int x = plot->GetSolution();
        ClickAt(x);
        dsp::CSignal& output = *plot->GetOutput();
        ASSERT_TRUE(output.EnsureSpectrum());
        EXPECT_GT(10 * std::log10(PowerAt(input, c.tone) / PowerAt(output, c.tone)), 20.0);
        EXPECT_LT(std::fabs(10 * std::log10(PowerAt(input, c.tone + 60) /
                                            PowerAt(output, c.tone + 60))),
                  1.0);
        const auto& curve = plot->GetTransferCurve();
        EXPECT_NEAR(std::max_element(curve.begin(), curve.end(),
                                     [](CPoint p, CPoint q) { return p.y < q.y; })->x,
                    x, c.width / 100);
        ClickAt(c.click);
        const auto answerPixels = [this](int fromX, int toX, int rows, COLORREF colour) {
            return Count(Grab().copy(fromX, 0, toX - fromX + 1, rows), colour);
        };
        EXPECT_EQ(answerPixels(0, c.width - 1, 128, ANSWER_BLUE), 0);
        EXPECT_EQ(answerPixels(0, c.width - 1, 25, BLACK), 0);
        EXPECT_TRUE(plot->AnswerText().empty());
        plot->RevealAnswer();
        CApplication::ProcessMessages();
        EXPECT_GE(answerPixels(x, x, 128, ANSWER_BLUE), 128 / 2);
        EXPECT_EQ(answerPixels(x - 5, x + 5, 1, ANSWER_BLUE), 11) << "the triangle's top row";
        EXPECT_EQ(answerPixels(0, c.width - 1, 128, ANSWER_BLUE),
                  answerPixels(x - 5, x + 5, 128, ANSWER_BLUE))
            << "nowhere but on the tone";
        EXPECT_GT(answerPixels(0, c.width - 1, 25, BLACK), 20) << "the text";
        EXPECT_TRUE(c.text == nullptr || plot->AnswerText() == c.text);
        ClickAt(x);
        EXPECT_EQ(plot->GetNotch(), c.click) << "the answer given stands";
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
    }
}

// After evaluation the player hears the own notch (the tone stays, wrongly placed) or the
// notch on the tone (the tone goes); each switch refilters a playing output in place, so the
// playback goes on with the next block of the new samples.
TEST_F(NotchTest, BothSolutionsCanBeHeardDuringPlayback) {
    const ScopedDevice sound;
    const auto& device = sound.device;
    Prepare(60, "spec_in='1'");
    Show();
    ClickAt(80);
    dsp::CSignal& output = *plot->GetOutput();
    ASSERT_TRUE(output.EnsureSpectrum());
    ASSERT_TRUE(output.Play());
    ASSERT_TRUE(device->FinishNext());
    plot->RevealAnswer();
    // The own notch, heard from the start (changes nothing), the right one, a click on the
    // plot at the tone (button 0), and the own again.
    for (const auto& [button, toneGone] :
         {std::pair{CListeningButtons::ID_PLAYER_SOLUTION, false},
          {CListeningButtons::ID_RIGHT_SOLUTION, true}, {0u, true},
          {CListeningButtons::ID_PLAYER_SOLUTION, false}}) {
        if (button != 0)
            PressButton(button);
        else
            ClickAt(plot->GetSolution());
        const double attenuation =
            10 * std::log10(PowerAt(*plot->GetInput(), 60) / PowerAt(output, 60));
        EXPECT_TRUE(toneGone ? attenuation > 20.0 : std::fabs(attenuation) < 3.0)
            << button << ": " << attenuation << " dB";
        const std::size_t before = device->Queued().size();
        ASSERT_TRUE(device->FinishNext());
        ASSERT_TRUE(device->WaitForQueued(before + 1));
        const auto queued = device->Queued();
        const int start = static_cast<int>(queued.size() - 1) * output.GetBlockLength();
        std::vector<std::uint8_t> expected(queued.back().bytes.size());
        for (std::size_t i = 0; i < expected.size() / 2; ++i)
            dsp::CSignal::FloatToSample(output.GetSamples()[start + i] * output.GetPlaybackGain(),
                                        &expected[2 * i], 16);
        EXPECT_EQ(queued.back().bytes, expected) << "the next block, of the new samples";
        EXPECT_TRUE(output.IsPlaying());
    }
    EXPECT_EQ(plot->GetNotch(), 80);
    EXPECT_EQ(device->OpenCount(), 1) << "never started again";
    sound.PlayOut(output);
    plot.reset();
}

// An example without samples refuses the slide, also when asked again.
TEST_F(NotchTest, InputWithoutSamplesFails) {
    context.SetSignal(5, std::make_unique<dsp::CSignal>());
    for (const auto& [xml, error] :
         {std::pair{"<notch id='7' example_from='5'/>", game::ERR_MEMORY},
          {"<notch id='8' example_from='5' spec_in='1'/>", game::ERR_PREPARE_FFT}}) {
        tinyxml2::XMLDocument document;
        document.Parse(xml);
        auto notch = game::CElementFactory::Create("notch", &context);
        CRect area{0, 0, 256, 128};
        ASSERT_EQ(notch->ReadXml(*document.RootElement(), area, WS_CHILD), ERR_NONE);
        EXPECT_EQ(notch->Prepare(), error) << xml;
        EXPECT_TRUE(error == game::ERR_MEMORY || notch->Prepare() == error)
            << "a failed preparation binds nothing";
    }
}

// Spectra prepared before the notch added its tone show the tone on screen; the example and
// the player's turn, prepared within one second, each get a tone of their own, also where the
// tables reseed the runtime's generator from the clock.
TEST(NotchOnASlide, EveryTaskHasAToneOfItsOwnThatEarlierPlotsShow) {
    CTempFolder folder;
    std::vector<std::int16_t> pcm;
    for (const float v : Noise(20000, 5, 4096))
        pcm.push_back(static_cast<std::int16_t>(v));
    const std::string xml = "<GameSlide><table rows='1' cols='3'><row><spectrum id='1' example='" +
                            CText::ToNarrow(folder.Write("rauschen.wav", CWaveBytes::Mono16(pcm, 22050))) +
                            "'/><spectrum id='2' example_from='1'/><notch id='3' "
                            "example_from='1'/></row></table></GameSlide>";
    tinyxml2::XMLDocument document;
    ASSERT_EQ(document.Parse(xml.c_str()), tinyxml2::XML_SUCCESS);
    game::CGameContext master;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::time_t second = std::time(nullptr);
        int tones[2] = {};
        for (int& tone : tones) {
            game::CGameSlide slide(master, L"ton");
            CRect area{0, 0, 900, 300};
            ASSERT_EQ(slide.ReadXml(*document.RootElement(), area, WS_CHILD | WS_VISIBLE), ERR_NONE);
            tone = dynamic_cast<CNotchFilter&>(*slide.Context().FindElement(3)).GetSolution();
            if (attempt > 0 || &tone != tones)
                continue;
            CWnd host;
            ASSERT_TRUE(host.Create(L"Host", L"", WS_VISIBLE, area, nullptr, 0));
            ASSERT_EQ(slide.CreateElementWindow(&host, 1), ERR_NONE);
            CApplication::ProcessMessages();
            for (const int id : {1, 2}) {
                auto& spectrum = dynamic_cast<game::CSpectrumPlot&>(*slide.Context().FindElement(id));
                spectrum.Widget()->grab(); // painted
                const std::vector<int>& top = spectrum.GetEnvelope().TopRows();
                ASSERT_EQ(top.size(), 256u);
                EXPECT_EQ(std::min_element(top.begin(), top.end()) - top.begin(), tone) << id;
            }
            slide.DestroyWindow();
        }
        if (std::time(nullptr) != second)
            continue; // a new second between them would hide a clock-seeded tone
        EXPECT_NE(tones[0], tones[1]);
        return;
    }
    FAIL() << "no two slides prepared within one second";
}
