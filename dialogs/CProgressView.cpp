#include "dialogs/CProgressView.h"

#include "dialogs/CDialogTemplates.h"
#include "dialogs/CTrendPlot.h"
#include "platform/CStatic.h"

#include <cmath>
#include <new>

namespace {

constexpr int MARGIN = 10;
constexpr int ROW_PITCH = 26;
constexpr int ROW_HEIGHT = 22;
constexpr int SECTION_GAP = 12;
constexpr int WEAKEST_HEIGHT = 44;
constexpr int BUTTON_HEIGHT = 30;
constexpr DWORD CHILD_STYLE = WS_CHILD | WS_VISIBLE;

} // namespace

CProgressView::CProgressView(CWnd* parent) : CDialog(CDialogTemplates::Progress(), parent) {}

CProgressView::~CProgressView() = default;

void CProgressView::SetRows(std::vector<ProgressRow> courses, std::vector<ProgressRow> topics) {
    m_courses = std::move(courses);
    m_topics = std::move(topics);
}

std::wstring CProgressView::ShareText(double share) {
    if (!(share >= 0.0))
        return L"–";
    return std::to_wstring(static_cast<int>(std::lround(share * 100.0))) + L" %";
}

std::wstring CProgressView::WeakestText() const {
    if (m_weakest.empty())
        return L"Noch kein Thema mit verfehlten Punkten: spiele einen Kurs oder übe.";
    std::wstring text = L"Am schwächsten: ";
    for (std::size_t i = 0; i < m_weakest.size(); ++i)
        text += (i > 0 ? L", " : L"") + m_weakest[i];
    return text + L". „Üben“ nimmt sich diese Themen zuerst vor.";
}

bool CProgressView::OnInitDialog() {
    CDialog::OnInitDialog();
    const int width = GetClientRect().Width();
    // The label takes the left half; share and tries an eighth each, the plot the rest.
    const Columns c{MARGIN, width / 2, width / 2 + width / 8, width / 2 + width / 4,
                    width - MARGIN};
    int top = ShowSection(L"Kurs", m_courses, MARGIN, c);
    top = ShowSection(L"Thema", m_topics, top + SECTION_GAP, c);
    MakeLabel(WeakestText(), 0, CRect{c.label, top + SECTION_GAP, c.right,
                                      top + SECTION_GAP + WEAKEST_HEIGHT});
    PlaceCloseButton(top + 2 * SECTION_GAP + WEAKEST_HEIGHT);
    return true;
}

int CProgressView::ShowSection(const std::wstring& heading, const std::vector<ProgressRow>& rows,
                               int top, const Columns& c) {
    const auto line = [&](int y, int left, int right) { return CRect{left, y, right, y + ROW_HEIGHT}; };
    MakeLabel(heading, SS_CENTERIMAGE, line(top, c.label, c.share));
    MakeLabel(L"Punkte", SS_CENTER | SS_CENTERIMAGE, line(top, c.share, c.tries));
    MakeLabel(L"Versuche", SS_CENTER | SS_CENTERIMAGE, line(top, c.tries, c.trend));
    MakeLabel(L"Letzte Versuche", SS_CENTER | SS_CENTERIMAGE, line(top, c.trend, c.right));
    for (const ProgressRow& row : rows) {
        top += ROW_PITCH;
        MakeLabel(row.label, SS_CENTERIMAGE, line(top, c.label, c.share));
        MakeLabel(ShareText(row.share), SS_CENTER | SS_CENTERIMAGE, line(top, c.share, c.tries));
        MakeLabel(std::to_wstring(row.tries), SS_CENTER | SS_CENTERIMAGE,
                  line(top, c.tries, c.trend));
        std::unique_ptr<CTrendPlot> plot(new (std::nothrow) CTrendPlot);
        if (plot && plot->Create(L"STATIC", L"", CHILD_STYLE, line(top, c.trend + 8, c.right),
                                 this, IDC_STATIC)) {
            plot->SetAccessibleName(L"Verlauf " + row.label);
            plot->SetShares(row.trend);
            m_plots.push_back(std::move(plot));
        }
    }
    return top + ROW_PITCH;
}

// A label that cannot be made is left out; the view still opens.
void CProgressView::MakeLabel(const std::wstring& text, DWORD style, const CRect& rect) {
    std::unique_ptr<CStatic> label(new (std::nothrow) CStatic);
    if (!label || !label->Create(L"STATIC", text, CHILD_STYLE | style, rect, this, IDC_STATIC))
        return;
    if (m_font != nullptr)
        label->SetFont(m_font);
    m_labels.push_back(std::move(label));
}

// The rows decide the height: the dialog grows or shrinks to end a margin below the button.
void CProgressView::PlaceCloseButton(int top) {
    if (CWnd* button = GetDlgItem(IDOK); button != nullptr) {
        if (m_font != nullptr)
            button->SetFont(m_font);
        const int width = button->GetWindowRect().Width();
        const int left = (GetClientRect().Width() - width) / 2;
        button->MoveWindow(CRect{left, top, left + width, top + BUTTON_HEIGHT});
    }
    const int missing = top + BUTTON_HEIGHT + MARGIN - GetClientRect().Height();
    CRect window = GetWindowRect();
    window.top -= missing / 2;
    window.bottom += missing - missing / 2;
    MoveWindow(window);
}
