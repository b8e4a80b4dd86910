#include "game/CRecordBar.h"

#include "dsp/CSignal.h"
#include "game/CRecordedTake.h"
#include "platform/CDC.h"
#include "platform/COpenFileDialog.h"
#include "platform/CWindowClasses.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace game {

namespace {

const wchar_t* const WINDOW_CLASS = L"MFCRecordBar";
constexpr int MARGIN = 3;
constexpr int BUTTON_HEIGHT = 22;
constexpr int RECORD_WIDTH = 90;
constexpr int LOAD_WIDTH = 140;
constexpr int METER_HEIGHT = 8;
// The meter shows the peak level from -48 dB (empty) to full scale.
constexpr float METER_DB = 48.0f;
const COLORREF BACKGROUND = RGB(240, 240, 240);
const COLORREF METER_BACK = RGB(255, 255, 255);
const COLORREF METER_GOOD = RGB(0, 150, 70);
const COLORREF METER_LOUD = RGB(210, 40, 0); // near full scale: the take may clip
constexpr float LOUD_PEAK = 0.9f;

const wchar_t* const KEEPS_EXAMPLE = L"die Folie verwendet ihr mitgeliefertes Beispiel.";
const wchar_t* const KEEPS_TAKE = L"es bleibt bei deinem bisherigen Klang.";

std::wstring FileName(const std::wstring& path) {
    return std::filesystem::path(path).filename().wstring();
}

float Peak(const std::vector<float>& sound) {
    float peak = 0.0f;
    for (const float v : sound)
        peak = std::max(peak, std::fabs(v));
    return peak;
}

} // namespace

CRecordBar::CRecordBar(dsp::CSignal& signal)
    : m_signal(signal), m_status(L"Noch keine Aufnahme: Du hörst das Beispiel der Folie.") {
    CWindowClasses::EnsureRegistered(WINDOW_CLASS);
}

void CRecordBar::KeepSound() {
    const float* samples = m_signal.GetSamples();
    m_sound.assign(samples, samples + m_signal.GetSampleCount());
}

bool CRecordBar::CreateBar(CWnd& parent, const CRect& rect, CFont* font) {
    if (!Create(WINDOW_CLASS, L"", WS_CHILD | WS_VISIBLE, rect, &parent, 0))
        return false;
    if (font != nullptr)
        SetFont(font, false);
    const int top = MARGIN;
    const int recordRight = MARGIN + RECORD_WIDTH;
    const int loadRight = std::min(recordRight + MARGIN + LOAD_WIDTH, rect.Width() - MARGIN);
    const bool made =
        m_record.Create(L"BUTTON", L"Aufnehmen", WS_CHILD | WS_VISIBLE,
                        CRect{MARGIN, top, recordRight, top + BUTTON_HEIGHT}, this, ID_RECORD) &&
        m_load.Create(L"BUTTON", L"Eigene Datei laden…", WS_CHILD | WS_VISIBLE,
                      CRect{recordRight + MARGIN, top, loadRight, top + BUTTON_HEIGHT}, this,
                      ID_LOAD);
    for (CButton* button : {&m_record, &m_load})
        if (font != nullptr)
            button->SetFont(font, false);
    return made;
}

void CRecordBar::Record() {
    if (m_recorder.IsRunning())
        return;
    const int rate = static_cast<int>(m_signal.GetFormat().sampleRate);
    switch (m_recorder.Start(rate, m_signal.GetSampleCount())) {
    case CSoundInput::EStart::OK:
        m_focusOnRecord = m_record.HasFocus();
        EnableButtons(false);
        ShowStatus(L"Gleich geht es los …");
        return;
    case CSoundInput::EStart::NO_DEVICE:
        ShowStatus(std::wstring(L"Es ist kein Mikrofon angeschlossen; ") +
                   (m_ownSound ? KEEPS_TAKE : KEEPS_EXAMPLE));
        return;
    case CSoundInput::EStart::OPEN_FAILED:
        ShowStatus(std::wstring(L"Das Mikrofon ließ sich nicht öffnen (belegt oder ohne diese "
                                L"Abtastrate); ") +
                   (m_ownSound ? KEEPS_TAKE : KEEPS_EXAMPLE));
        return;
    }
}

void CRecordBar::LoadOwnFile() {
    if (m_recorder.IsRunning())
        return;
    const std::wstring path =
        COpenFileDialog::Ask(this, L"Eigene Datei laden", L"WAV-Dateien (*.wav *.WAV)");
    if (path.empty())
        return;
    // Read with every check a slide's example gets, and refused with the same sentence.
    dsp::CSignal file;
    if (std::wstring reason; file.LoadWave(path, &reason) != dsp::CSignal::RESULT_OK) {
        ShowStatus(reason);
        return;
    }
    UseSound(CRecordedTake::Fit(file.GetSamples(), file.GetSampleCount(),
                                static_cast<int>(file.GetFormat().sampleRate),
                                static_cast<int>(m_signal.GetFormat().sampleRate),
                                m_signal.GetSampleCount()),
             L"Du hörst deine Datei „" + FileName(path) + L"“.");
}

void CRecordBar::UseSound(std::vector<float> sound, const std::wstring& heard) {
    // Written under the playback's lock: a sound playing now goes on with the new samples.
    m_signal.ApplyNoise(CRecordedTake(sound, m_sound));
    const float peak = Peak(sound);
    m_sound = std::move(sound);
    m_ownSound = true;
    if (peak < QUIET_PEAK)
        ShowStatus(L"Die Aufnahme ist sehr leise (Spitze " +
                   std::to_wstring(std::lround(peak * 100)) +
                   L" %); sie gilt trotzdem, lauter oder näher am Mikrofon wird sie deutlicher.");
    else
        ShowStatus(heard + L" Klick auf das Bild spielt ab.");
}

void CRecordBar::ShowStatus(const std::wstring& status) {
    m_status = status;
    SetAccessibleDescription(status);
    Invalidate(true);
}

void CRecordBar::EnableButtons(bool enable) {
    m_record.EnableWindow(enable);
    m_load.EnableWindow(enable);
}

void CRecordBar::OnCommand(UINT id) {
    if (id == ID_RECORD)
        Record();
    else if (id == ID_LOAD)
        LoadOwnFile();
}

LRESULT CRecordBar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != CRecorder::ProgressMessage() || wParam != reinterpret_cast<WPARAM>(&m_recorder))
        return CWnd::OnMessage(message, wParam, lParam);
    if (!m_recorder.IsRunning())
        return 0; // a post from before the input stopped
    const CRecorder::CProgress progress = m_recorder.Progress();
    if (progress.complete) {
        m_recorder.Stop();
        EnableButtons(true);
        // A keyboard player finds the button where the take began.
        if (m_focusOnRecord)
            m_record.SetFocus();
        UseSound(m_recorder.TakeSamples(), L"Du hörst deine Aufnahme.");
    } else if (progress.recording) {
        ShowStatus(L"Aufnahme läuft: noch " + std::to_wstring(progress.secondsLeft) + L" s");
    } else {
        ShowStatus(L"Aufnahme beginnt in " + std::to_wstring(progress.secondsLeft) + L" s …");
    }
    return 0;
}

bool CRecordBar::OnEraseBkgnd(CDC& dc) {
    dc.FillSolidRect(GetClientRect(), BACKGROUND);
    return true;
}

void CRecordBar::OnPaint(CDC& dc) {
    const CRect client = GetClientRect();
    dc.FillSolidRect(client, BACKGROUND);
    CRect text{MARGIN, MARGIN * 2 + BUTTON_HEIGHT, client.right - MARGIN, client.bottom - MARGIN};
    if (m_recorder.IsRunning()) {
        DrawMeter(dc, CRect{text.left, text.bottom - METER_HEIGHT, text.right, text.bottom},
                  m_recorder.Progress().level);
        text.bottom -= METER_HEIGHT + MARGIN;
    }
    dc.SetTextColor(RGB(0, 0, 0));
    dc.SetBkMode(TRANSPARENT);
    dc.DrawText(m_status, text, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

void CRecordBar::DrawMeter(CDC& dc, const CRect& area, float level) const {
    dc.FillSolidRect(area, METER_BACK);
    const float db = level > 0.0f ? 20.0f * std::log10(level) : -METER_DB;
    const float share = std::clamp(1.0f + db / METER_DB, 0.0f, 1.0f);
    const int width = static_cast<int>(std::lround(share * area.Width()));
    dc.FillSolidRect(CRect{area.left, area.top, area.left + width, area.bottom},
                     level >= LOUD_PEAK ? METER_LOUD : METER_GOOD);
}

} // namespace game
