#include "virtual-joystick/control/virtual_joystick.h"

#include <windows.h>
// clang-format off
#include <setupapi.h>
#include <newdev.h>
// The SDK's HID header declares its functions without C linkage.
extern "C" {
#include <hidsdi.h>
}
// clang-format on

#include <algorithm>
#include <cwctype>
#include <stdexcept>
#include <thread>

namespace tamrilo::vjoy {
namespace {

constexpr wchar_t kHardwareId[] = L"root\\tamrilo_vjoy";
constexpr wchar_t kInstancePrefix[] = L"root\\tamrilo_vjoy\\";
constexpr wchar_t kInterfaceMark[] = L"tamrilo_vjoy#";
constexpr DWORD kSetPollFrequency = CTL_CODE(FILE_DEVICE_KEYBOARD, 103, METHOD_BUFFERED, FILE_ANY_ACCESS);
// How often the class driver asks a joystick for its state: often while a new state is being
// served, so that setting one is quick, and less often otherwise. Every poll completes the
// reads of every program holding the joystick; Wine's DirectInput, unacquiring a joystick whose
// last read it has not taken in yet, can leave a read running into the memory it then frees,
// and the fewer reads complete, the rarer that is.
constexpr ULONG kServingPollMilliseconds = 2;
constexpr ULONG kIdlePollMilliseconds = 20;

void set_poll_interval(HANDLE handle, ULONG milliseconds) {
    DWORD written = 0;
    DeviceIoControl(handle, kSetPollFrequency, &milliseconds, sizeof(milliseconds), nullptr, 0, &written, nullptr);
}

std::wstring widen(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + " failed (error " + std::to_string(GetLastError()) + ")");
}

// The joystick number in a HID interface path of one of our devices ("…tamrilo_vjoy#3#{…}"),
// or -1 for any other device.
int number_in_path(std::wstring path) {
    std::transform(path.begin(), path.end(), path.begin(), [](wchar_t c) { return std::towlower(c); });
    const std::size_t mark = path.find(kInterfaceMark);
    if (mark == std::wstring::npos) return -1;
    std::size_t i = mark + std::size(kInterfaceMark) - 1;
    int number = 0;
    bool digits = false;
    while (i < path.size() && std::iswdigit(path[i])) {
        number = number * 10 + (path[i++] - L'0');
        digits = true;
    }
    return digits ? number : -1;
}

// Every HID interface path of our devices, with its joystick number.
std::vector<std::pair<int, std::wstring>> interface_paths() {
    std::vector<std::pair<int, std::wstring>> found;
    GUID hid;
    HidD_GetHidGuid(&hid);
    HDEVINFO set = SetupDiGetClassDevsW(&hid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return found;
    SP_DEVICE_INTERFACE_DATA iface{};
    iface.cbSize = sizeof(iface);
    for (DWORD i = 0; SetupDiEnumDeviceInterfaces(set, nullptr, &hid, i, &iface); ++i) {
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailW(set, &iface, nullptr, 0, &size, nullptr);
        if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
        std::vector<unsigned char> buffer(size);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (!SetupDiGetDeviceInterfaceDetailW(set, &iface, detail, size, nullptr, nullptr)) continue;
        const int number = number_in_path(detail->DevicePath);
        if (number >= 0) found.emplace_back(number, detail->DevicePath);
    }
    SetupDiDestroyDeviceInfoList(set);
    return found;
}

void set_value(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    if (RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
        fail("writing the device setting");
}

}  // namespace

int install(const std::string& driver_folder, const std::vector<DeviceSpec>& devices) {
    std::wstring inf = widen(driver_folder) + L"\\tamrilo_vjoy.inf";
    wchar_t full[MAX_PATH];
    if (!GetFullPathNameW(inf.c_str(), MAX_PATH, full, nullptr)) fail("finding the driver's .inf");
    if (GetFileAttributesW(full) == INVALID_FILE_ATTRIBUTES) fail("finding " + narrow(full));

    int added = 0;
    for (std::size_t number = 0; number < devices.size(); ++number) {
        const std::wstring instance = kInstancePrefix + std::to_wstring(number);
        HDEVINFO set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
        if (set == INVALID_HANDLE_VALUE) fail("SetupDiCreateDeviceInfoList");
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof(device);
        if (SetupDiOpenDeviceInfoW(set, instance.c_str(), nullptr, 0, &device)) {
            SetupDiDestroyDeviceInfoList(set);
            continue;
        }
        static const wchar_t hardware_ids[] = L"root\\tamrilo_vjoy\0";
        if (!SetupDiCreateDeviceInfoW(set, instance.c_str(), &GUID_NULL, nullptr, nullptr, 0, &device) ||
            !SetupDiSetDeviceRegistryPropertyW(set, &device, SPDRP_HARDWAREID,
                                               reinterpret_cast<const BYTE*>(hardware_ids), sizeof(hardware_ids)) ||
            !SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &device)) {
            SetupDiDestroyDeviceInfoList(set);
            fail("registering " + narrow(instance));
        }
        // The driver reads the product name and force feedback from the device's key when the
        // device starts.
        HKEY key = SetupDiCreateDevRegKeyW(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, nullptr, nullptr);
        if (key == INVALID_HANDLE_VALUE) fail("creating the device key");
        const std::wstring product = widen(devices[number].product.substr(0, 63));
        const DWORD force_feedback = devices[number].force_feedback ? 1 : 0;
        set_value(key, L"ProductName", REG_SZ, product.c_str(),
                  static_cast<DWORD>((product.size() + 1) * sizeof(wchar_t)));
        set_value(key, L"ForceFeedback", REG_DWORD, &force_feedback, sizeof(force_feedback));
        RegCloseKey(key);
        SetupDiDestroyDeviceInfoList(set);
        ++added;
    }
    if (added) {
        BOOL reboot = FALSE;
        if (!UpdateDriverForPlugAndPlayDevicesW(nullptr, kHardwareId, full, INSTALLFLAG_FORCE, &reboot))
            fail("installing the driver");
    }
    return added;
}

std::optional<Joystick> Joystick::open(int number) {
    for (const auto& [n, path] : interface_paths()) {
        if (n != number) continue;
        HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) continue;
        set_poll_interval(handle, kIdlePollMilliseconds);
        return Joystick(handle, number);
    }
    return std::nullopt;
}

Joystick::Joystick(Joystick&& other) noexcept : handle_(other.handle_), number_(other.number_) {
    other.handle_ = nullptr;
}

Joystick& Joystick::operator=(Joystick&& other) noexcept {
    std::swap(handle_, other.handle_);
    std::swap(number_, other.number_);
    return *this;
}

Joystick::~Joystick() {
    if (handle_) CloseHandle(handle_);
}

void Joystick::control(unsigned long code, const void* in, unsigned long in_size, void* out, unsigned long out_size,
                       unsigned long* written) const {
    DWORD got = 0;
    if (!DeviceIoControl(handle_, code, const_cast<void*>(in), in_size, out, out_size, &got, nullptr))
        fail("virtual joystick " + std::to_string(number_) + " control");
    if (written) *written = got;
}

Info Joystick::info() const {
    vj_info raw{};
    control(VJ_IOCTL_GET_INFO, nullptr, 0, &raw, sizeof(raw));
    Info info;
    info.force_feedback = raw.force_feedback != 0;
    info.present = raw.present != 0;
    info.lost_records = raw.lost_records;
    info.reads = raw.reads;
    std::wstring product;
    for (unsigned short c : raw.product) {
        if (!c) break;
        product += static_cast<wchar_t>(c);
    }
    info.product = narrow(product);
    return info;
}

void Joystick::set_state(const State& state) {
    unsigned char report[VJ_INPUT_SIZE] = {VJ_REPORT_INPUT};
    const std::int16_t axes[4] = {state.x, state.y, state.z, state.rz};
    for (int i = 0; i < 4; ++i) {
        report[1 + 2 * i] = static_cast<unsigned char>(axes[i] & 0xFF);
        report[2 + 2 * i] = static_cast<unsigned char>((axes[i] >> 8) & 0xFF);
    }
    report[9] = static_cast<unsigned char>(state.hat >= 0 && state.hat < 8 ? state.hat : State::kHatCentred);
    report[10] = static_cast<unsigned char>(state.buttons & 0xFF);
    report[11] = static_cast<unsigned char>(state.buttons >> 8);
    set_poll_interval(handle_, kServingPollMilliseconds);
    const unsigned long before = info().reads;
    control(VJ_IOCTL_SET_INPUT, report, sizeof(report));
    // Two reads after the change: the class driver has queued the new state for every reader.
    for (int i = 0; i < 500 && info().reads < before + 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    set_poll_interval(handle_, kIdlePollMilliseconds);
}

Clock clock_from_now() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return Clock{now.QuadPart, frequency.QuadPart};
}

std::int64_t now_us(const Clock& clock) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return clock.microseconds(now.QuadPart);
}

std::vector<vj_record> Joystick::drain() {
    std::vector<vj_record> records(VJ_LOG_CAPACITY);
    unsigned long written = 0;
    control(VJ_IOCTL_DRAIN, nullptr, 0, records.data(), static_cast<unsigned long>(records.size() * sizeof(vj_record)),
            &written);
    records.resize(written / sizeof(vj_record));
    return records;
}

void Joystick::set_product(const std::string& product) {
    const std::wstring name = widen(product.substr(0, 63));
    control(VJ_IOCTL_SET_PRODUCT, name.data(), static_cast<unsigned long>(name.size() * sizeof(wchar_t)));
}

void Joystick::set_present(bool present) {
    const unsigned long flag = present;
    control(VJ_IOCTL_SET_PRESENT, &flag, sizeof(flag));
}

bool remove(int number) {
    const std::wstring instance = kInstancePrefix + std::to_wstring(number);
    HDEVINFO set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
    if (set == INVALID_HANDLE_VALUE) fail("SetupDiCreateDeviceInfoList");
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    const bool found = SetupDiOpenDeviceInfoW(set, instance.c_str(), nullptr, 0, &device);
    // The removal asks the driver's device host to look at its devices again, which takes this
    // one out of the running session.
    const bool removed = found && SetupDiRemoveDevice(set, &device);
    SetupDiDestroyDeviceInfoList(set);
    if (found && !removed) fail("removing " + narrow(instance));
    return removed;
}

std::vector<int> installed() {
    std::vector<int> numbers;
    for (const auto& [n, path] : interface_paths()) numbers.push_back(n);
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

std::vector<int> wait_for(int count, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    std::vector<int> missing;
    for (;;) {
        missing.clear();
        const std::vector<int> there = installed();
        for (int n = 0; n < count; ++n)
            if (!std::binary_search(there.begin(), there.end(), n)) missing.push_back(n);
        if (missing.empty() || std::chrono::steady_clock::now() >= end) return missing;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace tamrilo::vjoy
