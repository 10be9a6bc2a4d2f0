// CTempFolder: a fresh temporary folder, removed with all it holds.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "tests/support/posix_compat.h"

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
class CTempFolder {
public:
    CTempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vemsim-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~CTempFolder()
    {
        std::error_code ec;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ec);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};
