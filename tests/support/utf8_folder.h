// CUtf8Folder: a fresh folder for one test, its names in and out as UTF-8.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/posix_compat.h"

// A fresh folder for one test, removed with all it holds. Names go in and
// out as UTF-8, the way the program keeps them; std::filesystem does the
// conversions, so the names on the disk are checked independently of the
// code under test.
class CUtf8Folder {
public:
    CUtf8Folder()
    {
        std::string pattern = Utf8(std::filesystem::temp_directory_path() / "vem-utf8-XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        m_path = PathFrom(pattern);
    }
    ~CUtf8Folder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CUtf8Folder(const CUtf8Folder&) = delete;
    CUtf8Folder& operator=(const CUtf8Folder&) = delete;

    static std::string Utf8(const std::filesystem::path& path)
    {
        const std::u8string text = path.u8string();
        return std::string(text.begin(), text.end());
    }
    static std::filesystem::path PathFrom(std::string_view utf8)
    {
        return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
    }

    std::string Path() const { return Utf8(m_path); }
    std::string PathOf(std::string_view name) const { return Utf8(m_path / PathFrom(name)); }

    // The names in the folder, as the system lists them.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_path))
            names.push_back(Utf8(entry.path().filename()));
        return names;
    }
    void Write(std::string_view name, std::string_view contents) const
    {
        std::ofstream out(m_path / PathFrom(name), std::ios::binary | std::ios::trunc);
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    }
    std::string Read(std::string_view name) const
    {
        std::ifstream in(m_path / PathFrom(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path m_path;
};
