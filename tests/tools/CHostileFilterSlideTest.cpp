// Slides whose filters would hang the game, divide by zero, read garbage as numbers or feed
// themselves: the checker refuses each quickly and tells the author which element and why.
#include "common/CTempFolder.h"
#include "common/CWaveBytes.h"
#include "game/CGameContext.h"
#include "game/ElementError.h"
#include "platform/CText.h"
#include "tools/CSlideChecker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using namespace game;

// count coefficients of 0.5 as the text of a list.
std::string Halves(int count) {
    std::string text;
    text.reserve(4 * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        text += "0.5 ";
    return text;
}

std::string Filter(int id, int from, const std::string& children) {
    return "<afilter id='" + std::to_string(id) + "' example_from='" + std::to_string(from) + "'>" +
           children + "</afilter>";
}

TEST(HostileFilterSlides, AreRefusedQuicklyWithElementAndReason) {
    CTempFolder folder;
    // 30 s at 44.1 kHz, the longest example a slide reasonably has, and a short one.
    const std::string longExample = CText::ToNarrow(folder.Write(
        "lang.wav", CWaveBytes::Mono16(std::vector<std::int16_t>(30 * 44100, 900), 44100)));
    const std::string shortExample = CText::ToNarrow(
        folder.Write("kurz.wav", CWaveBytes::Mono16(std::vector<std::int16_t>(4000, 900))));
    const struct {
        const char* name;
        std::string filters;
        bool longInput;
        int code, element;
        const wchar_t* word; // of the reason
    } cases[] = {
        {"order 8000 on 30 s", Filter(3, 1, "<b order='8000'>" + Halves(8000) + "</b>"), true,
         ERR_MEMORY, 3, L"höchstens 75 Koeffizienten"},
        {"order 400000 on 0.5 s", Filter(3, 1, "<b order='400000'>" + Halves(400000) + "</b>"),
         false, ERR_MEMORY, 3, L"zu aufwendig"},
        {"a0 zero", Filter(3, 1, "<a order='2'>0 1</a>"), false, ERR_MISSING_ELEMENT, 3, L"a[0]"},
        {"a0 subnormal", Filter(3, 1, "<a order='1'>1e-45</a>"), false, ERR_MISSING_ELEMENT, 3,
         L"so klein"},
        {"a0 1e-39", Filter(3, 1, "<a order='2'>1e-39 0.5</a>"), false, ERR_MISSING_ELEMENT, 3,
         L"überlaufen"},
        {"a0 overflows b", Filter(4, 1, "<a order='1'>1e-30</a><b order='1'>1e10</b>"), false,
         ERR_MISSING_ELEMENT, 4, L"überlaufen"},
        {"nan", Filter(3, 1, "<b order='2'>1 nan</b>"), false, ERR_MISSING_ELEMENT, 3,
         L"Stelle 2 keine Dezimalzahl: \u201Enan\u201C"},
        {"inf", Filter(3, 1, "<a order='1'>-inf</a>"), false, ERR_MISSING_ELEMENT, 3,
         L"<a> hat an Stelle 1 keine Dezimalzahl"},
        {"hexadecimal", Filter(3, 1, "<b order='1'>0x10</b>"), false, ERR_MISSING_ELEMENT, 3,
         L"\u201E0x10\u201C"},
        {"two signs", Filter(3, 1, "<b order='1'>+-1</b>"), false, ERR_MISSING_ELEMENT, 3,
         L"\u201E+-1\u201C"},
        {"beyond float", Filter(3, 1, "<b order='1'>1e39</b>"), false, ERR_MISSING_ELEMENT, 3,
         L"Zahlenbereich"},
        {"self-fed", Filter(3, 3, "<b order='1'>1</b>"), false, ERR_EXAMPLE_NOT_FOUND, 3,
         L"Element 3 wird von sich selbst gespeist."},
        {"two in a loop", Filter(5, 2, "<b>1</b>") + Filter(2, 5, "<b>1</b>"), false,
         ERR_EXAMPLE_NOT_FOUND, 5, L"Die Filter 2 und 5 speisen sich gegenseitig im Kreis."},
        {"fed by a loop of three",
         Filter(9, 2, "<b>1</b>") + Filter(2, 7, "<b>1</b>") + Filter(7, 6, "<b>1</b>") +
             Filter(6, 2, "<b>1</b>"),
         false, ERR_EXAMPLE_NOT_FOUND, 2, L"Die Filter 2, 6 und 7 speisen"},
    };
    const game::CGameContext master;
    const auto start = std::chrono::steady_clock::now();
    for (const auto& c : cases) {
        const std::string slide = std::string("<GameSlide><hidden>") + c.filters +
                                  "</hidden><table rows='1' cols='1'><row><wave id='1' example='" +
                                  (c.longInput ? longExample : shortExample) +
                                  "'/></row></table></GameSlide>";
        const std::wstring path = folder.Write(std::string(c.name) + ".xml", slide);
        CSlideChecker::Report report;
        CSlideChecker::CheckSlide(master, path, report);
        ASSERT_EQ(report.failures.size(), 1u) << c.name;
        const CSlideChecker::Failure& failure = report.failures.front();
        EXPECT_EQ(failure.code, c.code) << c.name;
        EXPECT_EQ(failure.element, c.element) << c.name;
        EXPECT_NE(failure.reason.find(c.word), std::wstring::npos)
            << c.name << ": " << CText::ToNarrow(failure.reason);
        const std::string message = CSlideChecker::Message(failure);
        EXPECT_NE(message.find(CText::ToNarrow(path)), std::string::npos) << c.name;
        EXPECT_NE(message.find("\nElement: " + std::to_string(c.element) + "\nReason: "),
                  std::string::npos)
            << c.name;
    }
    [[maybe_unused]] const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // A refused filter that did its work anyway takes minutes here; the sanitizers' own cost
    // of a dozen times over says nothing about that.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    EXPECT_LT(seconds, 5.0) << "a refusal must not cost the work it refuses";
#endif
}

} // namespace
