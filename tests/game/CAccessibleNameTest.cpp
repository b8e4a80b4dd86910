// What a screen reader hears of a slide: every element and text has a name that says what it
// is, and after evaluation every marked cell tells whether it was right and its points.
#include "SlideFixture.h"

#include "common/CTempFolder.h"
#include "common/CWaveBytes.h"
#include "game/CTable.h"
#include "game/CWavePlot.h"
#include "platform/CText.h"

#include <QAccessible>
#include <QWidget>

#include <cmath>
#include <cwchar>

namespace {

class AccessibleNames : public SlideFixture {
protected:
    static std::wstring Said(CWnd* window, QAccessible::Text what) {
        return Said(window->Widget(), what);
    }
    static std::wstring Said(QWidget* widget, QAccessible::Text what) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
        return face != nullptr ? face->text(what).toStdWString() : L"";
    }
    std::string Example() const {
        std::vector<std::int16_t> tone(4096);
        for (std::size_t k = 0; k < tone.size(); ++k)
            tone[k] = static_cast<std::int16_t>(8000 * std::sin(0.3 * double(k)));
        return CText::ToNarrow(folder.Write("ton.wav", CWaveBytes::Mono16(tone)));
    }

    CTempFolder folder;
};

TEST_F(AccessibleNames, EveryElementSaysWhatItShows) {
    const testing_panels::CScopedKind waves{
        "wave", [](game::CGameContext* c) { return std::make_unique<game::CWavePlot>(c); }};
    Show("<static>Ordne zu</static><table rows='2' cols='3'><row><wave id='1' example='" +
         Example() + "'/><spectrum id='2' example_from='1'/><spectrogram id='3' example_from='1'/>"
         "</row><row><notch id='4' example_from='1'/><polezero id='5' example_from='1'/>"
         "<spectrum id='6' example_from='1' switch='1'/></row></table>");
    const std::pair<int, const wchar_t*> named[] = {
        {1, L"Zeitsignal von Beispiel 1"}, {2, L"Spektrum von Beispiel 1"},
        {3, L"Spektrogramm von Beispiel 1"}, {4, L"Kerbfilter, Kerbe bei "},
        {5, L"Pol-Nullstellen-Diagramm"},
        {6, L"Spektrum"}, // movable: its example would tell where it belongs
    };
    for (const auto& [id, name] : named) {
        const std::wstring said = Said(Panel<CWnd>(id), QAccessible::Name);
        EXPECT_EQ(said.substr(0, std::wcslen(name)), name) << id;
        EXPECT_TRUE(id != 4 || said.find(L" Hz") != std::wstring::npos) << CText::ToNarrow(said);
        EXPECT_TRUE(id != 6 || said == name) << CText::ToNarrow(said);
    }
    for (QWidget* widget : slide->Widget()->findChildren<QWidget*>())
        EXPECT_TRUE(!widget->isVisible() || !Said(widget, QAccessible::Name).empty())
            << widget->metaObject()->className() << " " << widget->objectName().toStdString();
}

TEST_F(AccessibleNames, EvaluationTellsRightOrWrongWithThePoints) {
    Show("<table rows='1' cols='3'><row><wave id='1' points='2'/><wave id='2' switch='1'/>"
         "<wave id='3' switch='1' points='3'/></row></table>");
    dynamic_cast<game::CTable&>(*slide->Children().front()).OnSwitchPanels(2, 3);
    for (int id : {1, 2, 3})
        EXPECT_EQ(Said(Panel<CWnd>(id), QAccessible::Description), L"") << id;
    slide->GetPoints();
    const std::pair<int, const wchar_t*> told[] = {
        {1, L"richtig, 2 von 2 Punkten"}, {2, L"falsch, 0 von 1 Punkten"},
        {3, L"falsch, 0 von 3 Punkten"}};
    for (const auto& [id, text] : told)
        EXPECT_EQ(Said(Panel<CWnd>(id), QAccessible::Description), text) << id;
}

} // namespace
