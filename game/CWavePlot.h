#pragma once
// The "wave" element: an audio example as a time signal, a blue amplitude envelope on white
// with one pixel column per slice of samples. A click plays the signal, and a red play bar
// runs over the plot while it sounds.
//
// Clicked, the plot takes the keyboard focus: Space plays or stops as a click does, L switches
// looping on or off ("Schleife" in the corner while on), and B, while a filter's output plays,
// switches between it and the filter's input at the same spot ("Filter aus" while the input
// sounds).
//
// The envelope follows the window's size and the signal's samples; the bar follows the
// play-bar messages of the signal's playback.
//
// With record="SECONDS" the player may replace the example by an own sound of that length, at
// the example's sampling rate: a strip under the plot records it from the microphone or loads
// a WAV file (CRecordBar). The example, fitted to the length, is what plays until then.

#include "game/CColumnEnvelope.h"
#include "game/CSignalPlot.h"
#include "platform/CPen.h"

#include <memory>

namespace game {

class CRecordBar;

class CWavePlot : public CSignalPlot {
public:
    static constexpr int MAX_RECORD_SECONDS = 30;

    explicit CWavePlot(CGameContext* context);
    ~CWavePlot() override;

    // The plot's attributes, and record="…" after them.
    int ReadXml(const tinyxml2::XMLElement& node, CRect& area, DWORD style) override;

    std::wstring AccessibleName() const override { return KindOfExample(L"Zeitsignal"); }

    const CColumnEnvelope& GetEnvelope() const { return m_envelope; }
    // Client column of the play bar; -1 while none is shown.
    int GetPlaybarColumn() const { return m_playbar; }
    // Plays the bound signal from the frame on (a click plays from 0), looping while the loop
    // switch is on; tells the player when there is no sound output.
    void PlayFrom(int frame);
    // Ends the sound at once and takes the bar away; the frame it had reached, 0 when silent.
    int StopSound();

    // The strip for the player's own sound; nullptr without record="…".
    CRecordBar* GetRecordBar() const { return m_recordBar.get(); }

    // The row of a sample on a plot height pixels high: +1 at the top edge, 0 in the middle,
    // -1 at the bottom edge (row 2 * (height / 2)).
    static int RowOf(float sample, int height);

protected:
    int ReadPlotXml(const tinyxml2::XMLElement& node) override;
    int OnBound() override;
    void ComputeDisplay() override;
    void DrawPlot(CDC& dc) override;
    void DrawOverPlot(CDC& dc) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    bool OnKeyDown(UINT key, UINT flags) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCreate() override;

private:
    // record="SECONDS": the example becomes that long and the strip makes room for itself
    // under the plot. ERR_UNKNOWN_ELEMENT, with the reason reported, for a length that is no
    // number of seconds from 1 to MAX_RECORD_SECONDS or a plot with no example of its own.
    int ReadRecording(const tinyxml2::XMLElement& node, CRect& area);
    // The first line of the text file beside the example becomes the tooltip.
    void ReadCompanionText();
    void MovePlaybar(WPARAM erase, LPARAM draw);
    // The client column of a frame position.
    int ColumnOf(long long position) const;
    void DrawPlaybar(CDC& dc) const;
    void DrawSwitchNotes(CDC& dc) const;
    void PlayOrStop();
    void ToggleLoop();
    // True when the key was for a filter's output that plays.
    bool ToggleBypass();

    CPen m_pen;
    CColumnEnvelope m_envelope;
    int m_playbar = -1;
    bool m_looping = false;
    std::unique_ptr<CRecordBar> m_recordBar;
};

} // namespace game
