#include "platform/CQtFont.h"

#include "platform/CFont.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// The cell height Windows picks when a description leaves the height at 0.
constexpr int DEFAULT_CELL_HEIGHT = 16;

// Windows' own face-name substitutions: old names stand for the TrueType faces that
// fontconfig knows metric twins of.
QString SubstituteFace(const QString& face) {
    static const std::pair<const char*, const char*> substitutes[] = {
        {"Times", "Times New Roman"}, {"Tms Rmn", "Times New Roman"},
        {"Helvetica", "Arial"},       {"Helv", "Microsoft Sans Serif"},
        {"Courier", "Courier New"},   {"MS Shell Dlg", "Microsoft Sans Serif"},
        {"MS Shell Dlg 2", "Tahoma"}, {"MS Sans Serif", "Microsoft Sans Serif"},
    };
    for (const auto& [from, to] : substitutes) {
        if (face.compare(QLatin1String(from), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(to);
    }
    return face;
}

// A positive height is the whole cell (ascent + descent); Qt sizes by the em, so scale by the
// face's own ratio of cell to em.
int EmPixelsForCellHeight(const QFont& font, int cellHeight) {
    constexpr int REFERENCE_PIXELS = 100;
    QFont reference(font);
    reference.setPixelSize(REFERENCE_PIXELS);
    const QFontMetricsF metrics(reference);
    const qreal cell = metrics.ascent() + metrics.descent();
    if (cell <= 0)
        return cellHeight;
    return std::max(1, static_cast<int>(std::lround(cellHeight * REFERENCE_PIXELS / cell)));
}

QFont::Weight WeightOf(int logWeight) {
    if (logWeight <= 0)
        return QFont::Normal; // FW_DONTCARE
    return static_cast<QFont::Weight>(std::clamp(logWeight, 1, 1000));
}

} // namespace

QFont CQtFont::FromLogFont(const CLogFont& description) {
    QFont font;
    const QString face = QString::fromStdWString(description.faceName);
    if (!face.isEmpty()) {
        const QString substitute = SubstituteFace(face);
        font.setFamilies(substitute == face ? QStringList{face} : QStringList{substitute, face});
    }
    font.setWeight(WeightOf(description.weight));
    font.setItalic(description.italic);
    font.setUnderline(description.underline);
    if (description.height < 0)
        font.setPixelSize(-description.height);
    else
        font.setPixelSize(EmPixelsForCellHeight(
            font, description.height == 0 ? DEFAULT_CELL_HEIGHT : description.height));
    return font;
}

QFont CQtFont::FromFont(const CFont& font) {
    CLogFont description;
    if (!font.GetLogFont(description))
        return QGuiApplication::font();
    return FromLogFont(description);
}
