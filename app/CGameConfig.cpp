#include "app/CGameConfig.h"

#include "game/CGameContext.h"
#include "game/CGameSlide.h"
#include "platform/CDirectory.h"
#include "platform/CRegularFile.h"
#include "platform/CText.h"

#include <tinyxml2.h>

#include <cstring>

namespace {

std::wstring TextOf(const tinyxml2::XMLElement* element) {
    const char* text = element != nullptr ? element->GetText() : nullptr;
    return CText::ToWide(text != nullptr ? text : "");
}

std::optional<std::wstring> OptionalText(const tinyxml2::XMLElement* parent, const char* name) {
    const tinyxml2::XMLElement* child = parent->FirstChildElement(name);
    if (child == nullptr)
        return std::nullopt;
    return TextOf(child);
}

} // namespace

bool CGameConfig::Load(const std::string& path, game::CGameContext& context) {
    // Only a regular file of a slide's size at most: a FIFO in its place would hold the game
    // before its window ever shows.
    const CRegularFile file(CDirectory::NativePath(CText::ToWide(path)));
    std::string text;
    tinyxml2::XMLDocument document;
    if (!file.ReadAll(text, game::CGameSlide::MAX_FILE_BYTES) ||
        document.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS)
        return false;
    const tinyxml2::XMLElement* root = document.RootElement();
    if (root == nullptr || std::strcmp(root->Name(), "game") != 0)
        return false;
    if (root->FirstChildElement("audioexamples") == nullptr)
        return false;
    for (auto* e = root->FirstChildElement("audioexamples"); e;
         e = e->NextSiblingElement("audioexamples"))
        context.AddExampleFolder(TextOf(e));
    if (root->FirstChildElement("slides") == nullptr)
        return false;
    for (auto* e = root->FirstChildElement("slides"); e; e = e->NextSiblingElement("slides"))
        context.AddSlideFolder(TextOf(e));
    for (auto* e = root->FirstChildElement("course"); e; e = e->NextSiblingElement("course"))
        ReadCourse(*e);
    ReadFont(*root);
    ReadDialogTexts(*root);
    int fit = 0;
    root->QueryIntAttribute("fit_to_screen", &fit);
    fitToScreen = fit > 0;
    complete = true;
    return true;
}

void CGameConfig::ReadCourse(const tinyxml2::XMLElement& element) {
    const char* title = element.Attribute("titel");
    if (title == nullptr || *title == '\0')
        return;
    CCourse course;
    course.title = CText::ToWide(title);
    int highscore = 0;
    element.QueryIntAttribute("highscore", &highscore);
    course.hasHighscore = highscore > 0;
    for (auto* s = element.FirstChildElement("slide"); s; s = s->NextSiblingElement("slide"))
        if (std::wstring slide = TextOf(s); !slide.empty())
            course.slides.push_back(std::move(slide));
    if (!course.slides.empty())
        courses.push_back(std::move(course));
}

void CGameConfig::ReadFont(const tinyxml2::XMLElement& game) {
    const tinyxml2::XMLElement* font = game.FirstChildElement("font");
    if (font == nullptr)
        return;
    font->QueryIntAttribute("size", &fontSize);
    if (const char* name = font->Attribute("name"); name != nullptr && *name != '\0')
        fontName = CText::ToWide(name);
}

void CGameConfig::ReadDialogTexts(const tinyxml2::XMLElement& game) {
    const tinyxml2::XMLElement* texts = game.FirstChildElement("dialogtext");
    if (texts == nullptr)
        return;
    hasDialogTexts = true;
    for (auto& [key, value] : dialogTexts)
        if (auto text = OptionalText(texts, CText::ToNarrow(key).c_str()))
            value = *text;
    nextCaption = OptionalText(texts, "next");
    checkCaption = OptionalText(texts, "check");
    mainMenuCaption = OptionalText(texts, "mainmenu");
}
