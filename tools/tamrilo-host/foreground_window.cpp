#include "tools/tamrilo-host/foreground_window.h"

#include "engine/module_loader.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tamrilo::tool {

#ifdef _WIN32

namespace {

constexpr const char* kClassName = "TamriloHostWindow";
constexpr int kWidth = 420;
constexpr int kHeight = 120;
constexpr const char* kText =
    "tamrilo-host reads the joystick while this window is in front.\n"
    "Press any key here to stop watching.";
// One window per process, so one flag.
bool g_key_pressed = false;

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_KEYDOWN:
        case WM_CLOSE: g_key_pressed = true; return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            RECT area;
            GetClientRect(window, &area);
            InflateRect(&area, -10, -10);
            DrawTextA(dc, kText, -1, &area, DT_LEFT | DT_TOP | DT_WORDBREAK);
            EndPaint(window, &paint);
            return 0;
        }
        default: return DefWindowProcA(window, message, w, l);
    }
}

// Windows hands the foreground only to the program the user is working with. A program started
// from a console may be refused; joining the input of the window in front lets it take over.
bool bring_to_front(HWND window) {
    if (SetForegroundWindow(window) && GetForegroundWindow() == window) return true;
    HWND front = GetForegroundWindow();
    const DWORD front_thread = front ? GetWindowThreadProcessId(front, nullptr) : 0;
    const DWORD own_thread = GetCurrentThreadId();
    const bool joined =
        front_thread != 0 && front_thread != own_thread && AttachThreadInput(own_thread, front_thread, TRUE);
    BringWindowToTop(window);
    SetForegroundWindow(window);
    if (joined) AttachThreadInput(own_thread, front_thread, FALSE);
    return GetForegroundWindow() == window;
}

}  // namespace

ForegroundWindow::ForegroundWindow() {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.lpszClassName = kClassName;
    RegisterClassA(&window_class);
    HWND window =
        CreateWindowExA(0, kClassName, "tamrilo-host: joystick access", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                        CW_USEDEFAULT, kWidth, kHeight, nullptr, nullptr, window_class.hInstance, nullptr);
    if (window == nullptr) {
        const DWORD error = GetLastError();
        // Wine without a display refuses windows without giving a reason.
        problem_ = "no window could be made (" +
                   (error == 0 ? std::string("the system gave no reason; is there a display?")
                               : engine::system_message(error)) +
                   "); DirectInput may refuse the joystick's exclusive foreground access, which needs a window of "
                   "this program in the foreground";
        return;
    }
    window_ = window;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    answer_messages();
    if (!bring_to_front(window)) {
        problem_ =
            "Windows did not bring the tamrilo-host window to the foreground; DirectInput may refuse to acquire "
            "the joystick, since its access is exclusive to the foreground window: click the window and run again";
    }
}

ForegroundWindow::~ForegroundWindow() {
    if (window_ != nullptr) DestroyWindow(static_cast<HWND>(window_));
}

bool ForegroundWindow::key_pressed() {
    answer_messages();
    return g_key_pressed;
}

void ForegroundWindow::answer_messages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

#else

ForegroundWindow::ForegroundWindow() = default;
ForegroundWindow::~ForegroundWindow() = default;
void ForegroundWindow::answer_messages() {}
bool ForegroundWindow::key_pressed() { return false; }

#endif

}  // namespace tamrilo::tool
