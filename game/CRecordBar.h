#pragma once
// The strip under a wave plot whose signal the player may record: the buttons "Aufnehmen" and
// "Eigene Datei laden…", and below them one line of state. While recording it counts down,
// then counts the seconds left, with a level meter either way.
//
// The signal starts as the slide's example, which stays when nothing is recorded: without a
// microphone, or when it cannot be opened, the strip says so and the exercise is played with
// the example. A take or a loaded file replaces the signal's sound (see CRecordedTake); every
// element bound to it follows. A take whose peak stays below QUIET_PEAK is used all the same,
// with a hint. Nothing is written anywhere: the take lives as long as the slide.

#include "game/CRecorder.h"
#include "platform/CButton.h"
#include "platform/CWnd.h"

#include <string>
#include <vector>

class CFont;
namespace dsp {
class CSignal;
}

namespace game {

class CRecordBar final : public CWnd {
public:
    static constexpr int HEIGHT = 78;
    static constexpr float QUIET_PEAK = 0.05f;
    static constexpr UINT ID_RECORD = 1;
    static constexpr UINT ID_LOAD = 2;

    explicit CRecordBar(dsp::CSignal& signal);

    // The signal's sound as it is now is what a take replaces: called before any element
    // adds to it.
    void KeepSound();
    // Makes the strip and its buttons in the parent's client coordinates.
    bool CreateBar(CWnd& parent, const CRect& rect, CFont* font);

    // What the player clicks: the countdown and take begin, or the file dialog opens.
    void Record();
    void LoadOwnFile();
    // The line of state the strip shows.
    const std::wstring& Status() const { return m_status; }

protected:
    void OnPaint(CDC& dc) override;
    bool OnEraseBkgnd(CDC& dc) override;
    void OnCommand(UINT id) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Replaces the signal's sound (see CRecordedTake) and says what the player hears now.
    void UseSound(std::vector<float> sound, const std::wstring& heard);
    void ShowStatus(const std::wstring& status);
    void EnableButtons(bool enable);
    void DrawMeter(CDC& dc, const CRect& area, float level) const;

    dsp::CSignal& m_signal;
    std::vector<float> m_sound;   // the signal's sound without what the slide added to it
    bool m_ownSound = false;      // a take or a file replaced the example
    bool m_focusOnRecord = false; // the record button had the focus when the take began
    std::wstring m_status;
    CButton m_record;
    CButton m_load;
    CRecorder m_recorder{*this}; // last: stopped before anything above goes
};

} // namespace game
