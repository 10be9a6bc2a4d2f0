// Port names on Windows: COMn is the device itself, the data folder under %APPDATA%.
#include "link/port_names.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/win32_text.h"

namespace {

constexpr std::string_view APP_DATA_SUBFOLDER = "\\MFCVemSync";
constexpr std::string_view DEVICE_NAMESPACE = "\\\\.\\";
// The highest port number the system hands out.
constexpr unsigned LAST_COM = 255;

std::string RoamingAppData()
{
    // The variable first, as the operator sees it; the shell's answer when
    // a stripped environment lacks it.
    if (const DWORD size = ::GetEnvironmentVariableW(L"APPDATA", nullptr, 0); size > 1) {
        std::wstring value(size, L'\0');
        const DWORD length = ::GetEnvironmentVariableW(L"APPDATA", value.data(), size);
        if (length > 0 && length < size) {
            value.resize(length);
            return Utf8Of(value);
        }
    }
    wchar_t folder[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return Utf8Of(folder);
    return {};
}

} // namespace

std::string AppDataFolder()
{
    return RoamingAppData() + std::string(APP_DATA_SUBFOLDER);
}

std::string ResolvePortName(std::string_view name)
{
    if (!ComNumber(name, LAST_COM))
        return std::string(name);
    return std::string(DEVICE_NAMESPACE) + std::string(name);
}
