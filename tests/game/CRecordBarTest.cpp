// The player's own sound on a wave plot with record="…": a take from a source the test plays,
// no microphone, a take too quiet, and a WAV file of the player's own.

#include "game/CRecordBar.h"
#include "SlideFixture.h"
#include "common/CTempFolder.h"
#include "common/CWaveBytes.h"
#include "dsp/CSignal.h"
#include "game/CAudioFilterPlot.h"
#include "game/CWavePlot.h"
#include "platform/COpenFileDialog.h"
#include "platform/CText.h"

#include <cmath>

namespace {

// Hands its sound over at once from Start, countdown first, or refuses to start.
struct CFakeInput : CSoundInput {
    CFakeInput(EStart answer, std::vector<float> sound) : m_answer(answer), m_sound(sound) {}
    EStart Start(int, IListener& listener) override {
        for (std::size_t i = 0; m_answer == EStart::OK && i < m_sound.size(); i += 100)
            listener.OnSamples(&m_sound[i], int(std::min<std::size_t>(100, m_sound.size() - i)));
        return m_answer;
    }
    void Stop() override {}
    EStart m_answer;
    std::vector<float> m_sound;
};

// 16-bit samples of a sine, as a WAV file holds them and as a take reads them.
std::vector<std::int16_t> Tone(int count, double cyclesPerSample, double amplitude) {
    std::vector<std::int16_t> tone(count);
    for (int i = 0; i < count; ++i)
        tone[i] = std::int16_t(32767 * amplitude * std::sin(2 * M_PI * cyclesPerSample * i));
    return tone;
}
const std::vector<std::int16_t> EXAMPLE = Tone(8000, 0.05, 0.2);

} // namespace

// An 8 kHz example of 1 s on a record="1" plot, and a notch that adds its hum to it.
class RecordBarTest : public SlideFixture {
protected:
    void SetUp() override {
        if (!host.HasWindow()) {
            ASSERT_TRUE(host.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 1200, 900}, nullptr, 0));
        }
        const std::wstring example = folder.Write("a.wav", CWaveBytes::Mono16(EXAMPLE));
        ASSERT_EQ(ReadTables("<table rows='1' cols='2'><row><wave id='1' record='1' example='" +
                             CText::ToNarrow(example) +
                             "'/><notch id='2' example_from='1'/></row></table>"),
                  game::ERR_NONE);
        ASSERT_EQ(slide->CreateElementWindow(&host, 1000), game::ERR_NONE);
        bar = Panel<game::CWavePlot>(1)->GetRecordBar();
        before = Samples();
    }
    void TearDown() override {
        CSoundInput::SetFactory({});
        COpenFileDialog::SetHandler({});
    }
    std::vector<float> Samples() {
        const dsp::CSignal& signal = *slide->Context().FindSignal(1);
        return {signal.GetSamples(), signal.GetSamples() + signal.GetSampleCount()};
    }
    // The signal is the sound plus the hum the notch added to the example.
    void ExpectSound(const std::function<double(int)>& sound) {
        const std::vector<float> after = Samples();
        ASSERT_EQ(after.size(), 8000u);
        for (int i = 13; i < 8000; i += 397)
            ASSERT_NEAR(after[i] - sound(i), before[i] - EXAMPLE[i] / 32768.0, 0.01) << i;
    }

    // Real wave plots, not the fixture's test panels.
    testing_panels::CScopedKind waves{
        "wave", [](game::CGameContext* c) { return std::make_unique<game::CWavePlot>(c); }};
    CTempFolder folder;
    game::CRecordBar* bar = nullptr;
    std::vector<float> before;
};

// The take replaces the example under the hum, and the notch's output follows; without a take
// the example stays, and one sentence says why.
TEST_F(RecordBarTest, TakeReplacesTheExampleOrTheSlideSaysWhyNot) {
    struct Case {
        CSoundInput::EStart answer;
        double amplitude;
        const wchar_t* status;
    };
    const Case cases[] = {
        {CSoundInput::EStart::NO_DEVICE, 0,
         L"Es ist kein Mikrofon angeschlossen; die Folie verwendet ihr mitgeliefertes Beispiel."},
        {CSoundInput::EStart::OPEN_FAILED, 0, L"Das Mikrofon ließ sich nicht öffnen"},
        {CSoundInput::EStart::OK, 0.5, L"Du hörst deine Aufnahme."},
        {CSoundInput::EStart::OK, 0.02, L"Die Aufnahme ist sehr leise (Spitze 2 %)"},
    };
    for (const auto& c : cases) {
        SetUp();
        const std::vector<std::int16_t> take = Tone(8000, 0.1, c.amplitude);
        std::vector<float> sound(3 * 8000, 0.1f); // the countdown is not part of the take
        std::transform(take.begin(), take.end(), std::back_inserter(sound),
                       [](auto s) { return s / 32768.0f; });
        CSoundInput::SetFactory([&] { return std::make_unique<CFakeInput>(c.answer, sound); });
        const dsp::CSignal& output = *Panel<game::CAudioFilterPlot>(2)->GetOutput();
        const unsigned outputRevision = output.GetRevision();
        bar->Record();
        CApplication::ProcessMessages();
        EXPECT_EQ(bar->Status().rfind(c.status, 0), 0u) << CText::ToNarrow(bar->Status());
        const bool taken = c.answer == CSoundInput::EStart::OK;
        EXPECT_EQ(output.GetRevision() != outputRevision, taken);
        ExpectSound([&](int i) { return (taken ? take[i] : EXAMPLE[i]) / 32768.0; });
    }
}

// An own file is read with the checks of an example and fitted to the slide's rate and length:
// 400 Hz at 16 kHz keeps its pitch at 8 kHz (20 samples a period), and silence follows its 0.5 s.
TEST_F(RecordBarTest, OwnFileIsCheckedAndFitted) {
    const std::wstring broken = folder.Write("kaputt.wav", CWaveBytes::Riff(""));
    const std::wstring own =
        folder.Write("eigen.wav", CWaveBytes::Mono16(Tone(8000, 0.025, 0.5), 16000));
    for (const auto& [file, status] :
         {std::pair{broken, L"kaputt.wav"}, {own, L"Du hörst deine Datei „eigen.wav“."}}) {
        COpenFileDialog::SetHandler([&](const std::wstring&) { return file; });
        bar->LoadOwnFile();
        EXPECT_NE(bar->Status().find(status), std::wstring::npos) << CText::ToNarrow(bar->Status());
    }
    ExpectSound([](int i) { return i < 4000 ? 0.5 * std::sin(2 * M_PI * 0.05 * i) : 0.0; });
}
