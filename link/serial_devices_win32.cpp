// The serial ports the Windows device manager lists, with the words it has for each.
#include "link/serial_devices.h"

#include <windows.h>
// GUID_DEVCLASS_PORTS is defined here rather than taken from a library.
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>

#include <algorithm>
#include <cctype>

#include "link/port_names.h"
#include "platform/win32_text.h"

namespace {

// The highest port number the system hands out.
constexpr unsigned LAST_COM = 255;
constexpr std::string_view VENDOR_MARK = "VID_";
constexpr std::string_view PRODUCT_MARK = "PID_";
constexpr std::size_t USB_ID_DIGITS = 4;

struct DeviceSet {
    HDEVINFO handle;
    ~DeviceSet()
    {
        if (handle != INVALID_HANDLE_VALUE)
            ::SetupDiDestroyDeviceInfoList(handle);
    }
};

// A text property of the device; a list of texts (REG_MULTI_SZ) gives its
// first. Empty when the device has none.
std::string Property(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property)
{
    DWORD type = 0;
    DWORD size = 0;
    ::SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type, nullptr, 0, &size);
    if (size == 0 || (type != REG_SZ && type != REG_MULTI_SZ))
        return {};
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    if (!::SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type, reinterpret_cast<BYTE*>(value.data()),
                                             size, nullptr))
        return {};
    // Up to the first terminating zero: the whole text, or a list's first.
    return Utf8Of(value.c_str());
}

// The port's name ("COM5") as its driver keeps it in the device's key.
std::string PortNameOf(HDEVINFO set, SP_DEVINFO_DATA& device)
{
    const HKEY key = ::SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
    if (key == INVALID_HANDLE_VALUE)
        return {};
    wchar_t name[MAX_PATH] = {};
    DWORD type = 0;
    DWORD size = sizeof name - sizeof name[0];
    const LSTATUS status =
        ::RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? Utf8Of(name) : std::string();
}

// The four characters after `mark`, when they are hex digits.
std::string IdAfter(const std::string& upper, std::string_view mark)
{
    const std::size_t at = upper.find(mark);
    if (at == std::string::npos || at + mark.size() + USB_ID_DIGITS > upper.size())
        return {};
    const std::string id = upper.substr(at + mark.size(), USB_ID_DIGITS);
    const bool hex = std::all_of(id.begin(), id.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
    return hex ? id : std::string();
}

} // namespace

UsbIds UsbIdsOf(std::string_view hardwareId)
{
    std::string upper(hardwareId);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    UsbIds ids {IdAfter(upper, VENDOR_MARK), IdAfter(upper, PRODUCT_MARK)};
    // One without the other is no USB id but a coincidence of letters.
    if (ids.vendorId.empty() || ids.productId.empty())
        return {};
    return ids;
}

std::vector<SerialDevice> FindSerialDevices()
{
    std::vector<SerialDevice> devices;
    // The "Ports (COM & LPT)" class, present devices only.
    const DeviceSet set {::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT)};
    if (set.handle == INVALID_HANDLE_VALUE)
        return devices;
    for (DWORD index = 0;; ++index) {
        SP_DEVINFO_DATA device {};
        device.cbSize = sizeof device;
        if (!::SetupDiEnumDeviceInfo(set.handle, index, &device))
            break;
        SerialDevice found;
        found.node = PortNameOf(set.handle, device);
        // Printer ports share the class.
        if (!ComNumber(found.node, LAST_COM))
            continue;
        found.product = Property(set.handle, device, SPDRP_FRIENDLYNAME);
        if (found.product.empty())
            found.product = Property(set.handle, device, SPDRP_DEVICEDESC);
        found.manufacturer = Property(set.handle, device, SPDRP_MFG);
        found.hardwareId = Property(set.handle, device, SPDRP_HARDWAREID);
        found.driver = Property(set.handle, device, SPDRP_SERVICE);
        const UsbIds ids = UsbIdsOf(found.hardwareId);
        found.vendorId = ids.vendorId;
        found.productId = ids.productId;
        devices.push_back(std::move(found));
    }
    std::sort(devices.begin(), devices.end(), [](const SerialDevice& a, const SerialDevice& b) {
        return ComNumber(a.node, LAST_COM) < ComNumber(b.node, LAST_COM);
    });
    return devices;
}
