#include "game/CWavePlot.h"

#include "dsp/CSignal.h"
#include "game/CGameContext.h"
#include "game/CRecordBar.h"
#include "game/CRecordedTake.h"
#include "platform/CDC.h"
#include "platform/CDirectory.h"
#include "platform/CMessageBox.h"
#include "platform/CRegularFile.h"
#include "platform/CText.h"

#include <tinyxml2.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <fstream>
#include <vector>

namespace game {

namespace {

const wchar_t* const WINDOW_CLASS = L"MFCWavePlot";
const COLORREF ENVELOPE_COLOR = RGB(0, 0, 200);
const COLORREF PLAYBAR_COLOR = RGB(255, 0, 0);
const COLORREF BACKGROUND = RGB(255, 255, 255);
const COLORREF NOTE_COLOR = RGB(0, 0, 0);

const wchar_t* const LOOP_NOTE = L"Schleife";
const wchar_t* const BYPASS_NOTE = L"Filter aus";
constexpr int NOTE_INSET = 2;

const wchar_t* const NO_SOUND_TEXT =
    L"Es ist keine Tonausgabe verfügbar: Der Computer hat keine Soundkarte, oder der "
    L"Tondienst läuft nicht.\n\nDas Spiel geht ohne Ton weiter.";
const wchar_t* const NO_SOUND_CAPTION = L"Velmora";

// A tooltip shows at most this many characters of the companion text's first line.
constexpr std::size_t TOOLTIP_CHARS = 255;
// Enough bytes for that many characters in UTF-8; a file without line ends is not read whole.
constexpr std::size_t TOOLTIP_BYTES = 4 * TOOLTIP_CHARS;

// The first line of a text file without its line end and byte-order mark, cut at maxBytes
// without splitting a UTF-8 character. Empty when the file cannot be read.
std::string FirstLine(const std::string& path, std::size_t maxBytes) {
    std::string line;
    // Only a regular file: a FIFO there would hold the slide preparer forever.
    const std::string start = CRegularFile(path).ReadStart(maxBytes);
    for (std::size_t i = 0; i < start.size() && line.size() < maxBytes && start[i] != '\n'; ++i)
        line += start[i];
    const bool cut = line.size() == maxBytes;
    if (line.compare(0, 3, "\xEF\xBB\xBF") == 0)
        line.erase(0, 3);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    for (int i = 0; cut && i < 3 && !line.empty() && !CText::IsValidUtf8(line); ++i)
        line.pop_back();
    return line;
}

} // namespace

CWavePlot::CWavePlot(CGameContext* context)
    : CSignalPlot(context, "wave", WINDOW_CLASS), m_pen(PS_SOLID, 1, ENVELOPE_COLOR) {
    AcceptKeys();
}

// A bypassed sound reads the filter's input, which the slide may delete before the output.
CWavePlot::~CWavePlot() {
    if (IsBound() && m_signal->IsBypassed())
        m_signal->StopPlayback();
    DestroyWindow();
}

int CWavePlot::ReadPlotXml(const tinyxml2::XMLElement& /*node*/) {
    m_axes.SetQuantities(CPlotAxes::Quantity::TIME, CPlotAxes::Quantity::NONE);
    return ERR_NONE;
}

int CWavePlot::ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) {
    if (const int result = CSignalPlot::ReadXml(node, area, style); result != ERR_NONE)
        return result;
    return node.Attribute("record") != nullptr ? ReadRecording(node, area) : ERR_NONE;
}

int CWavePlot::ReadRecording(const tinyxml2::XMLElement& node, CRect& area) {
    const std::string written = node.Attribute("record");
    const std::wstring line = L"Zeile " + std::to_wstring(node.GetLineNum()) + L": ";
    double seconds = 0;
    if (node.QueryDoubleAttribute("record", &seconds) != tinyxml2::XML_SUCCESS ||
        !(seconds >= 1 && seconds <= MAX_RECORD_SECONDS)) {
        m_context->ReportFailure(m_id, line + L"Die Aufnahmedauer record=\"" +
                                           CText::ToWide(written) +
                                           L"\" ist keine Zahl von 1 bis " +
                                           std::to_wstring(MAX_RECORD_SECONDS) + L" Sekunden.");
        return ERR_UNKNOWN_ELEMENT;
    }
    dsp::CSignal* signal = m_sourceId == m_id ? m_context->FindSignal(m_id) : nullptr;
    if (signal == nullptr || signal->GetSource() != nullptr) {
        m_context->ReportFailure(m_id, line + L"Eine Aufnahme braucht ein eigenes Beispiel "
                                              L"(example=\"…\"), das gilt, solange nichts "
                                              L"aufgenommen ist.");
        return ERR_UNKNOWN_ELEMENT;
    }
    // Every take has the example's rate and this length, so the elements bound to the signal
    // keep their sizes from take to take.
    const dsp::CWaveFormat format = signal->GetFormat();
    const int rate = static_cast<int>(format.sampleRate);
    const int frames = static_cast<int>(std::lround(seconds * rate));
    if (frames != signal->GetSampleCount()) {
        const std::vector<float> fitted =
            CRecordedTake::Fit(signal->GetSamples(), signal->GetSampleCount(), rate, rate, frames);
        if (signal->CreateFromSamples(format, fitted.data(), frames) != dsp::CSignal::RESULT_OK)
            return ERR_MEMORY;
    }
    m_recordBar = std::make_unique<CRecordBar>(*signal);
    CRect frame = m_frame;
    frame.bottom += CRecordBar::HEIGHT;
    SetFrame(frame, area);
    return ERR_NONE;
}

void CWavePlot::OnCreate() {
    CWnd::OnCreate();
    if (m_recordBar == nullptr)
        return;
    const int top = m_height + m_frame.bottom - CRecordBar::HEIGHT;
    m_recordBar->CreateBar(
        *this, CRect{-m_frame.left, top, m_width + m_frame.right, top + CRecordBar::HEIGHT},
        &m_context->m_tooltipFont);
}

int CWavePlot::OnBound() {
    // Before any other element adds to the signal (a notch its tone).
    if (m_recordBar != nullptr)
        m_recordBar->KeepSound();
    if (m_tooltip && m_text.empty())
        ReadCompanionText();
    return ERR_NONE;
}

int CWavePlot::RowOf(float sample, int height) {
    const int h = height / 2;
    // Samples far beyond full scale (a filter output may reach 2^20) are held just outside
    // the plot: the visible pixels stay the same and a column line stays short.
    const float limit = 2.0f * static_cast<float>(std::max(h, 1));
    // fmin/fmax take a NaN to the limit instead of passing it on.
    const float scaled = std::fmin(std::fmax(static_cast<float>(h) * sample, -limit), limit);
    return h - static_cast<int>(scaled);
}

void CWavePlot::ComputeDisplay() {
    if (!IsBound()) {
        m_envelope = CColumnEnvelope();
        return;
    }
    const int height = m_height;
    m_envelope = CColumnEnvelope::Compute(m_signal->GetSamples(), m_signal->GetSampleCount(),
                                          m_width, [height](float v) { return RowOf(v, height); });
    const unsigned rate = m_signal->GetFormat().sampleRate;
    m_axes.SetScales(
        CPlotAxes::Scale::Envelope(m_signal->GetSampleCount(), m_width, rate > 0 ? 1.0 / rate : 0.0),
        CPlotAxes::Scale::Linear(0.0, 1.0), CSize{m_width, m_height});
}

void CWavePlot::ReadCompanionText() {
    const std::wstring wave = m_signal->GetFileName();
    if (wave.size() < 3)
        return;
    const std::wstring companion = wave.substr(0, wave.size() - 3) + L"txt";
    std::wstring text = CText::ToWide(FirstLine(CDirectory::NativePath(companion), TOOLTIP_BYTES));
    if (text.size() > TOOLTIP_CHARS)
        text.resize(TOOLTIP_CHARS);
    m_text = std::move(text);
}

void CWavePlot::DrawPlot(CDC& dc) {
    const CPen* previous = dc.SelectPen(&m_pen);
    m_envelope.DrawColumns(dc);
    m_envelope.DrawMeanLine(dc);
    dc.SelectPen(previous);
}

void CWavePlot::DrawOverPlot(CDC& dc) {
    DrawPlaybar(dc);
    DrawSwitchNotes(dc);
}

// In the lower corners, where the read-out along the top edge never covers them.
void CWavePlot::DrawSwitchNotes(CDC& dc) const {
    const bool bypassed = IsBound() && m_signal->IsBypassed();
    if (!m_looping && !bypassed)
        return;
    const CRect client = GetClientRect();
    const CRect area{client.left + NOTE_INSET, client.top, client.right - NOTE_INSET,
                     client.bottom - NOTE_INSET};
    dc.SetBkMode(OPAQUE);
    dc.SetBkColor(BACKGROUND);
    dc.SetTextColor(NOTE_COLOR);
    const UINT format = DT_SINGLELINE | DT_BOTTOM | DT_NOPREFIX;
    if (m_looping)
        dc.DrawText(LOOP_NOTE, area, format | DT_LEFT);
    if (bypassed)
        dc.DrawText(BYPASS_NOTE, area, format | DT_RIGHT);
}

void CWavePlot::DrawPlaybar(CDC& dc) const {
    if (m_playbar < 0)
        return;
    const CPen bar(PS_SOLID, 1, PLAYBAR_COLOR);
    const CPen* previous = dc.SelectPen(&bar);
    dc.MoveTo(m_playbar, 0);
    dc.LineTo(m_playbar, GetClientRect().bottom);
    dc.SelectPen(previous);
}

void CWavePlot::OnLButtonUp(UINT flags, CPoint point) {
    const int pressed = m_context->PressedIdFor(m_id);
    if (pressed != 0 && pressed != m_id) {
        CElement::OnLButtonUp(flags, point);
        return;
    }
    // A click on the panel itself ends the drag gesture as a release anywhere else would.
    if (pressed == m_id)
        ClearPick();
    PlayOrStop();
}

// A second click stops the sound, as the player of any media expects.
void CWavePlot::PlayOrStop() {
    if (IsBound() && m_signal->IsPlaying())
        StopSound();
    else if (IsBound())
        PlayFrom(0);
}

bool CWavePlot::OnKeyDown(UINT key, UINT flags) {
    if (flags != 0)
        return CElement::OnKeyDown(key, flags);
    switch (key) {
    case VK_SPACE:
        PlayOrStop();
        return true;
    case 'L':
        ToggleLoop();
        return true;
    case 'B':
        return ToggleBypass();
    default:
        return CElement::OnKeyDown(key, flags);
    }
}

void CWavePlot::ToggleLoop() {
    m_looping = !m_looping;
    if (IsBound())
        m_signal->SetLooping(m_looping);
    Invalidate(true);
}

bool CWavePlot::ToggleBypass() {
    if (!IsBound() || !m_signal->SetBypass(!m_signal->IsBypassed()))
        return false;
    Invalidate(true);
    return true;
}

// Without a sound device a click would seem to do nothing at all. The player hears about it
// once per run; after that the plots stay quiet and the game goes on.
void CWavePlot::PlayFrom(int frame) {
    if (!IsBound())
        return;
    dsp::CSignal& signal = *m_signal;
    if (signal.Play(frame, m_looping) || signal.IsPlaying() || signal.GetSampleCount() == 0)
        return;
    static std::atomic<bool> told{false};
    if (!told.exchange(true))
        CMessageBox::Show(this, NO_SOUND_TEXT, NO_SOUND_CAPTION, CMessageBox::Information);
}

int CWavePlot::StopSound() {
    if (!IsBound())
        return 0;
    const int reached = m_signal->GetPlayPosition();
    m_signal->StopPlayback();
    m_playbar = -1;
    Invalidate(true);
    return reached;
}

LRESULT CWavePlot::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == dsp::CPlayback::PlaybarMessage()) {
        MovePlaybar(wParam, lParam);
        return 0;
    }
    return CSignalPlot::OnMessage(message, wParam, lParam);
}

// The bar is part of the picture: moving it repaints the plot at once, which takes the old bar
// away and restores the envelope and mean line beneath it exactly.
void CWavePlot::MovePlaybar(WPARAM erase, LPARAM draw) {
    const auto first = static_cast<long long>(erase);
    const auto last = static_cast<long long>(draw);
    // Bars a stopped playback posted before it stopped arrive after it: they show nothing.
    const bool ended =
        (first == last && first > 0) || !IsBound() || !m_signal->IsPlaying();
    m_playbar = ended ? -1 : ColumnOf(last);
    Invalidate(true);
    UpdateWindow();
}

int CWavePlot::ColumnOf(long long position) const {
    const int count = IsBound() ? m_signal->GetSampleCount() : 0;
    if (count <= 0 || position < 0)
        return -1;
    const double column =
        static_cast<double>(position) / count * static_cast<double>(GetClientRect().Width());
    // Positions in the silence after a short signal's end lie right of the plot.
    return column < GetClientRect().Width() ? static_cast<int>(column) : -1;
}

} // namespace game
