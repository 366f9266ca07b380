#include "tools/tamrilo-host/console.h"

#ifdef _WIN32
#include <conio.h>
#include <windows.h>

#include <atomic>
#include <thread>
#else
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#endif

namespace tamrilo::tool {

#ifdef _WIN32

bool key_pressed() {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(in, &mode)) {
        if (!_kbhit()) return false;
        _getch();
        return true;
    }
    if (GetFileType(in) == FILE_TYPE_PIPE) {
        // A reader apart from the watch waits for the pipe's first byte, or for its end when the
        // writer has gone (stop rather than watch forever). Peeking instead fails on the pipes
        // Wine makes of a Unix pipe, which would end the watch before its first frame.
        static std::atomic<bool> spoke{false};
        static const bool reading = [in] {
            std::thread([in] {
                char c;
                DWORD read = 0;
                ReadFile(in, &c, 1, &read, nullptr);
                spoke = true;
            }).detach();
            return true;
        }();
        return reading && spoke;
    }
    // A file or no input at all: nothing can ever be typed, so only Ctrl+C ends the watch.
    return false;
}

bool enable_redraw_in_place() {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(out, &mode)) return false;
    return SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

void pause_milliseconds(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

#else

bool key_pressed() {
    termios saved{};
    const bool terminal = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        // One key, without waiting for Enter and without echo.
        termios raw = saved;
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    }
    pollfd p{STDIN_FILENO, POLLIN, 0};
    const bool ready = poll(&p, 1, 0) > 0 && (p.revents & (POLLIN | POLLHUP)) != 0;
    if (ready) {
        char c;
        (void)!read(STDIN_FILENO, &c, 1);
    }
    if (terminal) tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    return ready;
}

bool enable_redraw_in_place() { return isatty(STDOUT_FILENO); }

void pause_milliseconds(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

#endif

}  // namespace tamrilo::tool
