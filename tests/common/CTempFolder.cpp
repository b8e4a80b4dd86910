#include "common/CTempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

CTempFolder::CTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velmora-dsp-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr)
        m_path = pattern;
}

CTempFolder::~CTempFolder() {
    std::error_code ignored;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ignored);
}

std::wstring CTempFolder::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(m_path + "/" + name, std::ios::binary | std::ios::trunc) << bytes;
    return PathOf(name);
}

std::wstring CTempFolder::PathOf(const std::string& name) const {
    return std::filesystem::path(m_path + "/" + name).wstring();
}

std::wstring CTempFolder::Folder() const { return std::filesystem::path(m_path).wstring(); }
