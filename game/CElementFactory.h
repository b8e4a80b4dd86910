#pragma once
// Makes slide elements from their XML tags: the one table of every element kind a table cell
// or a hidden container can hold.

#include <functional>
#include <memory>
#include <string>

namespace game {

class CElement;
class CGameContext;

class CElementFactory {
public:
    using Maker = std::function<std::unique_ptr<CElement>(CGameContext*)>;

    // A new element for the tag, or null when the tag names no element kind.
    static std::unique_ptr<CElement> Create(const std::string& tag, CGameContext* context);
    static bool IsElementTag(const std::string& tag);
    // Adds or replaces a kind (tools and tests that bring their own elements), or with an
    // empty maker removes it; returns the maker it replaced (empty when there was none).
    static Maker Register(const std::string& tag, Maker maker);
};

} // namespace game
