#include "platform/CStatic.h"

#include "platform/CQtColor.h"
#include "platform/CQtFont.h"
#include "platform/QtBridge.h"

#include <QFontMetrics>
#include <QLabel>

CSize CStatic::TextExtent(const std::wstring& text, const CFont& font, int width) {
    // The label drops the carriage returns of the line breaks before it lays the text out.
    const QString shown = qtbridge::ToQString(text).remove(QChar('\r'));
    constexpr int UNLIMITED = 1 << 20; // pixels: taller than any text
    const QRect box(0, 0, width, UNLIMITED);
    const QRect used =
        QFontMetrics(CQtFont::FromFont(font))
            .boundingRect(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, shown);
    return CSize{used.width(), used.height()};
}

void CStatic::SetTextColor(COLORREF color) {
    auto* label = qobject_cast<QLabel*>(Widget());
    if (label == nullptr)
        return;
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, CQtColor::ToColor(color));
    label->setPalette(palette);
}

QWidget* CStatic::MakeWidget(QWidget* parent) {
    auto* label = new QLabel(parent);
    // Texts come from slide files: markup in them is text, and must never load files.
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    return label;
}

void CStatic::OnCreate() {
    auto* label = qobject_cast<QLabel*>(Widget());
    if (label == nullptr)
        return;
    const DWORD style = GetStyle();
    const Qt::Alignment horizontal = (style & SS_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft;
    const Qt::Alignment vertical = (style & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop;
    label->setAlignment(horizontal | vertical);
    if (style & SS_SUNKEN)
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
}
