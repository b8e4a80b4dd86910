#pragma once
// A private temporary folder, removed with everything in it when the object goes away.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// The bytes of a file; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class CTempFolder {
public:
    CTempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmora-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    ~CTempFolder() {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    // Writes bytes to a file of this name (and its folders) in the folder; returns its path.
    std::wstring Write(const std::string& name, const std::string& bytes) const {
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(PathOf(name)).parent_path(),
                                            ignored);
        std::ofstream(m_path + "/" + name, std::ios::binary | std::ios::trunc) << bytes;
        return PathOf(name);
    }
    std::wstring PathOf(const std::string& name) const {
        return std::filesystem::path(m_path + "/" + name).wstring();
    }
    std::wstring Folder() const { return std::filesystem::path(m_path).wstring(); }

private:
    std::string m_path;
};
