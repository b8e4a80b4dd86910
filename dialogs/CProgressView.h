#pragma once
// "Fortschritt": per course and per topic the share of points the player reached, the number
// of tries and the trend of the last tries as a small plot, and below them the weakest topics.
// Like the high-score list it holds no game logic: the caller fills it and runs it once.

#include "platform/CDialog.h"

#include <memory>
#include <string>
#include <vector>

class CFont;
class CStatic;
class CTrendPlot;

// One line of the view.
struct ProgressRow {
    std::wstring label;
    int tries = 0;
    double share = -1.0;       // of the points reached, 0 to 1; negative: not known
    std::vector<double> trend; // the shares of the last tries, oldest first
};

class CProgressView : public CDialog {
public:
    explicit CProgressView(CWnd* parent = nullptr);
    ~CProgressView() override;

    void SetRows(std::vector<ProgressRow> courses, std::vector<ProgressRow> topics);
    // Weakest first; empty: nothing to practise yet.
    void SetWeakest(std::vector<std::wstring> topics) { m_weakest = std::move(topics); }
    // Not owned; it must outlive the run. Null: the dialog's own font.
    void SetTextFont(const CFont* font) { m_font = font; }

    // "73 %", or "–" when not known.
    static std::wstring ShareText(double share);
    std::wstring WeakestText() const;

protected:
    bool OnInitDialog() override;

private:
    struct Columns {
        int label, share, tries, trend, right;
    };
    int ShowSection(const std::wstring& heading, const std::vector<ProgressRow>& rows, int top,
                    const Columns& c);
    void MakeLabel(const std::wstring& text, DWORD style, const CRect& rect);
    void PlaceCloseButton(int top);

    std::vector<ProgressRow> m_courses;
    std::vector<ProgressRow> m_topics;
    std::vector<std::wstring> m_weakest;
    const CFont* m_font = nullptr;
    std::vector<std::unique_ptr<CStatic>> m_labels;
    std::vector<std::unique_ptr<CTrendPlot>> m_plots;
};
