// The player's own sound on a wave plot with record="…": a take from a source the test plays,
// no microphone, a take too quiet, and a WAV file of the player's own.

#include "game/CRecordBar.h"
#include "SlideFixture.h"
#include "common/CTempFolder.h"
#include "common/CWaveBytes.h"
#include "dsp/CSignal.h"
#include "game/CAudioFilterPlot.h"
#include "game/CRecorder.h"
#include "game/CWavePlot.h"
#include "platform/COpenFileDialog.h"
#include "platform/CText.h"

#include <cmath>

using game::CRecordBar;

namespace {

// Hands its samples over at once from Start, countdown first, or refuses to start.
class CFakeInput : public CSoundInput {
public:
    CFakeInput(EStart answer, std::vector<float> sound) : m_answer(answer), m_sound(sound) {}
    EStart Start(int, IListener& listener) override {
        for (std::size_t i = 0; m_answer == EStart::OK && i < m_sound.size(); i += 100)
            listener.OnSamples(m_sound.data() + i,
                               int(std::min<std::size_t>(100, m_sound.size() - i)));
        return m_answer;
    }
    void Stop() override {}

private:
    EStart m_answer;
    std::vector<float> m_sound;
};

std::vector<std::int16_t> Tone(int count, double cyclesPerSample, double amplitude) {
    std::vector<std::int16_t> tone(count);
    for (int i = 0; i < count; ++i)
        tone[i] =
            std::int16_t(std::lround(32767 * amplitude * std::sin(2 * M_PI * cyclesPerSample * i)));
    return tone;
}

} // namespace

class RecordBarTest : public SlideFixture {
protected:
    // An 8 kHz example of 1 s on a record="1" plot, a notch adding its hum and its output.
    void SetUp() override {
        ASSERT_TRUE(host.Create(L"Host", L"", WS_VISIBLE, CRect{0, 0, 1200, 900}, nullptr, 0));
        MakeSlide();
    }
    void MakeSlide() {
        const std::wstring example =
            folder.Write("beispiel.wav", CWaveBytes::Mono16(Tone(8000, 0.05, 0.2)));
        ASSERT_EQ(ReadTables("<table rows='1' cols='3'><row><wave id='1' record='1' example='" +
                             CText::ToNarrow(example) +
                             "'/><notch id='2' example_from='1'/>"
                             "<wave id='3' example_from='2'/></row></table>"),
                  game::ERR_NONE)
            << CText::ToNarrow(slide->Context().FailureReason());
        ASSERT_EQ(slide->CreateElementWindow(&host, 1000), game::ERR_NONE);
        bar = Panel<game::CWavePlot>(1)->GetRecordBar();
        ASSERT_NE(bar, nullptr);
    }
    void TearDown() override {
        CSoundInput::SetFactory({});
        COpenFileDialog::SetHandler({});
    }
    const dsp::CSignal& Signal() { return *slide->Context().FindSignal(1); }
    std::vector<float> Samples() { return {Signal().GetSamples(), Signal().GetSamples() + 8000}; }

    // Real wave plots, not the fixture's test panels.
    testing_panels::CScopedKind waves{
        "wave", [](game::CGameContext* c) { return std::make_unique<game::CWavePlot>(c); }};
    CTempFolder folder;
    CRecordBar* bar = nullptr;
};

// The take replaces the example under the hum the notch added, and the notch's output follows;
// without a take the example stays, with one sentence why.
TEST_F(RecordBarTest, TakeReplacesTheExampleOrTheSlideSaysWhyNot) {
    const struct {
        CSoundInput::EStart answer;
        double amplitude;
        const wchar_t* status;
    } cases[] = {
        {CSoundInput::EStart::NO_DEVICE, 0,
         L"Es ist kein Mikrofon angeschlossen; die Folie verwendet ihr mitgeliefertes Beispiel."},
        {CSoundInput::EStart::OPEN_FAILED, 0, L"Das Mikrofon ließ sich nicht öffnen"},
        {CSoundInput::EStart::OK, 0.5, L"Du hörst deine Aufnahme."},
        {CSoundInput::EStart::OK, 0.02, L"Die Aufnahme ist sehr leise (Spitze 2 %)"},
    };
    for (const auto& c : cases) {
        MakeSlide();
        const std::vector<float> before = Samples();
        const std::vector<std::int16_t> take = Tone(8000, 0.1, c.amplitude);
        std::vector<float> sound(3 * 8000, 0.1f); // the countdown is not part of the take
        for (const std::int16_t s : take)
            sound.push_back(s / 32768.0f);
        CSoundInput::SetFactory([&] { return std::make_unique<CFakeInput>(c.answer, sound); });
        const dsp::CSignal& output = *Panel<game::CAudioFilterPlot>(2)->GetOutput();
        const unsigned outputRevision = output.GetRevision();
        bar->Record();
        CApplication::ProcessMessages();
        EXPECT_EQ(bar->Status().rfind(c.status, 0), 0u) << CText::ToNarrow(bar->Status());
        EXPECT_FALSE(bar->IsRecording());
        const bool taken = c.answer == CSoundInput::EStart::OK;
        EXPECT_EQ(output.GetRevision() != outputRevision, taken);
        // What the notch added (the hum) is the same before and after the take.
        const std::vector<float> after = Samples();
        const auto original = Tone(8000, 0.05, 0.2);
        for (int i = 0; i < 8000; i += 397) {
            const float sound = taken ? take[i] / 32768.0f : original[i] / 32768.0f;
            ASSERT_NEAR(after[i] - sound, before[i] - original[i] / 32768.0f, 1e-4) << i;
        }
    }
}

// An own file is read with the checks of an example and fitted to the slide's rate and length.
TEST_F(RecordBarTest, OwnFileIsCheckedAndFitted) {
    const std::wstring broken = folder.Write("kaputt.wav", CWaveBytes::Riff(""));
    const std::wstring fast =
        folder.Write("eigen.wav", CWaveBytes::Mono16(Tone(8000, 0.025, 0.5), 16000));
    const std::vector<float> before = Samples();
    const auto example = Tone(8000, 0.05, 0.2);
    std::wstring answer;
    COpenFileDialog::SetHandler([&](const std::wstring&) { return answer; });
    const struct {
        const std::wstring* file;
        const std::wstring status;
    } cases[] = {{&broken, L"kaputt.wav"}, {&fast, L"Du hörst deine Datei „eigen.wav“."}};
    for (const auto& c : cases) {
        answer = *c.file;
        bar->LoadOwnFile();
        EXPECT_NE(bar->Status().find(c.status), std::wstring::npos)
            << CText::ToNarrow(bar->Status());
    }
    // 400 Hz at 16 kHz keeps its pitch at 8 kHz (20 samples a period); after its 0.5 s, silence.
    const std::vector<float> after = Samples();
    ASSERT_EQ(Signal().GetSampleCount(), 8000);
    for (int i = 13; i < 8000; i += 397) {
        const double file = i < 4000 ? 0.5 * std::sin(2 * M_PI * 0.05 * i) : 0.0;
        ASSERT_NEAR(after[i] - before[i], file - example[i] / 32768.0, 0.01) << i;
    }
}

// A length that is no number of seconds in range, or no example of its own to fall back on.
TEST_F(RecordBarTest, RecordingWithoutUsableLengthOrExampleIsRefused) {
    const std::string example = CText::ToNarrow(folder.PathOf("beispiel.wav"));
    for (const std::string wave :
         {"record='0' example='" + example + "'", "record='zwei' example='" + example + "'",
          "record='31' example='" + example + "'", std::string("record='1' example_from='2'")}) {
        game::CGameContext master;
        slide = std::make_unique<game::CGameSlide>(master, L"test");
        document->Parse(
            ("<GameSlide>" + OneCell("<wave id='1' " + wave + "/>") + "</GameSlide>").c_str());
        CRect area{0, 0, 1000, 1000};
        EXPECT_EQ(slide->ReadXml(*document->RootElement(), area, WS_CHILD),
                  game::ERR_UNKNOWN_ELEMENT)
            << wave;
        EXPECT_NE(slide->Context().FailureReason().find(L"Zeile 1: "), std::wstring::npos) << wave;
    }
}
