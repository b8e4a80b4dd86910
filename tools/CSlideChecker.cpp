#include "tools/CSlideChecker.h"
#include "tools/CSlideReview.h"

#include "app/CGameConfig.h"
#include "game/CExplanation.h"
#include "game/CGameContext.h"
#include "game/CGameSlide.h"
#include "game/CSlideTopic.h"
#include "game/ElementError.h"
#include "platform/CDirectory.h"
#include "platform/CRegularFile.h"
#include "platform/CText.h"
#include "platform/CWnd.h"

#include <tinyxml2.h>

#include <filesystem>
#include <set>

namespace {

// The area the main dialog offers a slide at its usual size. Reading does not depend on it
// beyond the layout.
const CRect SLIDE_AREA{10, 40, 1014, 758};

// The same file can be named by a course ("slides\a.xml") and by the catalogue
// ("slides/a.xml"); it is read once.
std::string SameFileKey(const std::wstring& path) {
    return std::filesystem::path(CDirectory::NativePath(path)).lexically_normal().string();
}

// Course slides first, in menu order, then what the random tasks may pick.
std::vector<std::wstring> SlidesToCheck(const CGameConfig& config,
                                        const game::CGameContext& master) {
    std::vector<std::wstring> paths;
    std::set<std::string> seen;
    const auto add = [&](const std::wstring& path) {
        if (seen.insert(SameFileKey(path)).second)
            paths.push_back(path);
    };
    for (const CCourse& course : config.courses)
        for (const std::wstring& slide : course.slides)
            add(slide);
    for (const std::wstring& slide : master.AllSlides())
        add(slide);
    return paths;
}

const game::CExplanation* ExplanationOf(const game::CGameSlide& slide) {
    for (const auto& child : slide.Children())
        if (const auto* explanation = dynamic_cast<const game::CExplanation*>(child.get()))
            return explanation;
    return nullptr;
}

// A player who got an exercise wrong should learn why; and all of the reason must show, in
// the slide's font, wrapped as its control wraps it.
void CheckExplanation(game::CGameSlide& slide, const std::wstring& path,
                      CSlideChecker::Report& report) {
    const game::CExplanation* explanation = ExplanationOf(slide);
    if (explanation == nullptr) {
        if (const int points = slide.GetMaxPoints(); points > 0)
            report.warnings.push_back(
                {path, "gives points (" + std::to_string(points) + ") but has no explanation"});
        return;
    }
    const std::string overflow = CSlideReview::Overflow(
        explanation->GetText(), slide.Context().m_textFont, explanation->GetRect());
    if (!overflow.empty())
        report.failures.push_back({path, game::ERR_NONE, {}, 0,
                                   CText::ToWide("the explanation " + overflow),
                                   explanation->GetLine()});
}

// The game plays a slide with an unknown topic or level as one without, so practice and the
// progress view would silently miss it: the author has to hear of it.
void CheckTopic(const tinyxml2::XMLElement& root, const std::wstring& path,
                CSlideChecker::Report& report) {
    std::string error;
    game::CSlideTopic::Read(root, &error);
    if (!error.empty())
        report.failures.push_back(
            {path, game::ERR_NONE, {}, 0, CText::ToWide(error), root.GetLineNum()});
}

} // namespace

CSlideChecker::Report CSlideChecker::Check(const std::string& configFile) {
    Report report;
    game::CGameContext master;
    CGameConfig config;
    report.configLoaded = config.Load(configFile, master);
    report.examplesFound = static_cast<int>(master.AllExamples().size());
    if (report.configLoaded) {
        master.m_textFont.CreatePointFont(config.fontSize, config.fontName);
        master.m_tooltipFont.CreatePointFont((2 * config.fontSize) / 3, config.fontName);
    }
    for (const std::wstring& path : SlidesToCheck(config, master)) {
        ++report.slidesChecked;
        CheckSlide(master, path, report);
    }
    // With no slide in the catalogue the random tasks ask for the slide "" and fail.
    if (report.configLoaded && master.AllSlides().empty())
        report.failures.push_back({std::wstring(), game::ERR_OPEN_SLIDE, {}});
    return report;
}

void CSlideChecker::CheckSlide(const game::CGameContext& master, const std::wstring& path,
                               Report& report) {
    Failure failure{path};
    tinyxml2::XMLDocument document(true, tinyxml2::COLLAPSE_WHITESPACE);
    failure.code = game::CGameSlide::LoadDocument(path, document);
    if (failure.code == game::ERR_NONE) {
        CheckTopic(*document.RootElement(), path, report);
        game::CGameSlide slide(master, CDirectory::FileName(path));
        CRect area = SLIDE_AREA;
        failure.code = slide.ReadXml(*document.RootElement(), area, WS_CHILD);
        if (failure.code == game::ERR_NONE) {
            CheckExplanation(slide, path, report);
            CSlideReview::Review(slide, path, report);
            return;
        }
        failure.element = slide.Context().FailedElement();
        failure.reason = slide.Context().FailureReason();
    }
    failure.limit = LimitExceeded(path);
    report.failures.push_back(std::move(failure));
}

std::string CSlideChecker::LimitExceeded(const std::wstring& path) {
    const CRegularFile file(CDirectory::NativePath(path));
    if (file.IsOpen() && file.Size() > game::CGameSlide::MAX_FILE_BYTES)
        return "file larger than " + std::to_string(game::CGameSlide::MAX_FILE_BYTES) + " bytes";
    tinyxml2::XMLDocument document(true, tinyxml2::COLLAPSE_WHITESPACE);
    if (game::CGameSlide::LoadDocument(path, document) != game::ERR_NONE)
        return {};
    return game::CGameSlide::LimitExceeded(*document.RootElement());
}

std::string CSlideChecker::Message(const Failure& failure) {
    if (failure.code == game::ERR_NONE)
        return "Error: " + CText::ToNarrow(failure.slide) +
               (failure.line > 0 ? ":" + std::to_string(failure.line) : "") + ": " +
               CText::ToNarrow(failure.reason);
    std::string message = "Could not load the slide " + CText::ToNarrow(failure.slide) +
                          "\nError: " + CText::ToNarrow(game::ErrorMessage(failure.code));
    if (!failure.limit.empty())
        message += "\nLimit: " + failure.limit;
    if (failure.element != 0)
        message += "\nElement: " + std::to_string(failure.element);
    if (!failure.reason.empty())
        message += "\nReason: " + CText::ToNarrow(failure.reason);
    return message;
}

std::string CSlideChecker::Message(const Warning& warning) {
    return "Warning: " + CText::ToNarrow(warning.slide) + ": " + warning.text;
}

std::string CSlideChecker::Summary(const Report& report) {
    std::string line = std::to_string(report.slidesChecked) + " slides checked, " +
                       std::to_string(report.failures.size()) + " failed";
    if (!report.warnings.empty())
        line += ", " + std::to_string(report.warnings.size()) + " warnings";
    if (!report.configLoaded)
        line += ", game options not loaded";
    return line;
}
