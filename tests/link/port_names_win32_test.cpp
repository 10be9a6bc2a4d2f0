// Tests of Windows port names, the data folder, and UTF-8/UTF-16 conversion.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include <windows.h>

#include "platform/win32_text.h"
#include "link/port_names.h"

namespace {

struct ResolveRow {
    const char* name;
    const char* input;
    const char* expected;
};

TEST(PortNamesWin32, ComNamesAreTheWindowsPortsInTheDeviceNamespace)
{
    const ResolveRow rows[] = {
        {"first port", "COM1", "\\\\.\\COM1"},
        {"tenth port, unreachable without the prefix", "COM10", "\\\\.\\COM10"},
        {"highest port", "COM255", "\\\\.\\COM255"},
        {"beyond the highest", "COM256", "COM256"},
        {"no COM0", "COM0", "COM0"},
        {"no leading zero", "COM01", "COM01"},
        {"no trailing text", "COM1x", "COM1x"},
        {"already in the namespace", "\\\\.\\COM3", "\\\\.\\COM3"},
        {"another device", "\\\\.\\CNCA0", "\\\\.\\CNCA0"},
        {"empty name", "", ""},
    };
    for (const ResolveRow& row : rows)
        EXPECT_EQ(ResolvePortName(row.input), row.expected) << row.name << ": \"" << row.input << '"';
}

// Puts an environment variable back when the test ends.
class ScopedWideEnv {
public:
    ScopedWideEnv(const wchar_t* name, const wchar_t* value) : m_name(name)
    {
        wchar_t old[MAX_PATH] = {};
        const DWORD length = ::GetEnvironmentVariableW(name, old, MAX_PATH);
        if (length > 0 && length < MAX_PATH)
            m_old = old;
        ::SetEnvironmentVariableW(name, value);
    }
    ~ScopedWideEnv() { ::SetEnvironmentVariableW(m_name, m_old ? m_old->c_str() : nullptr); }
    ScopedWideEnv(const ScopedWideEnv&) = delete;
    ScopedWideEnv& operator=(const ScopedWideEnv&) = delete;

private:
    const wchar_t* m_name;
    std::optional<std::wstring> m_old;
};

TEST(PortNamesWin32, DataFolderIsMFCVemSyncInTheRoamingApplicationData)
{
    const ScopedWideEnv appData(L"APPDATA", L"C:\\Users\\Оператор\\AppData\\Roaming");
    EXPECT_EQ(AppDataFolder(), "C:\\Users\\Оператор\\AppData\\Roaming\\MFCVemSync");
}

TEST(PortNamesWin32, DataFolderWithoutTheVariableIsTheShellsOne)
{
    const ScopedWideEnv appData(L"APPDATA", nullptr);
    const std::string folder = AppDataFolder();
    EXPECT_TRUE(folder.ends_with("\\MFCVemSync")) << folder;
    EXPECT_GT(folder.size(), std::string("\\MFCVemSync").size()) << "the shell knows the folder";
}

struct TextRow {
    const char* name;
    std::string utf8;
    std::wstring wide;
};

TEST(Win32Text, Utf8AndUtf16BothWays)
{
    const TextRow rows[] = {
        {"plain", "COM1", L"COM1"},
        {"cyrillic", "Деталь №7", L"Деталь №7"},
        {"beyond the basic plane", "\xF0\x9F\x94\xA7", L"\U0001F527"},
        {"empty", "", L""},
    };
    for (const TextRow& row : rows) {
        EXPECT_EQ(WideOf(row.utf8), row.wide) << row.name;
        EXPECT_EQ(Utf8Of(row.wide), row.utf8) << row.name;
    }
    EXPECT_EQ(WideOf("\xD0"), L"") << "a cut-off sequence reaches no file";
    EXPECT_EQ(WideOf("a\xFF" "b"), L"") << "a byte that is never UTF-8";
}

} // namespace
