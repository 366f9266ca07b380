// tamrilo-vjoy: installs the virtual joysticks and drives them from a shell or a test script.
#include <windows.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "virtual_joystick.h"

namespace vjoy = tamrilo::vjoy;

namespace {

constexpr int kUsageError = 2;

const char kUsage[] =
    "usage: tamrilo-vjoy COMMAND ...\n"
    "  install NAME[:ff|:plain]...      install the driver and one joystick per name, numbered from 0\n"
    "                                   (force feedback unless :plain); restart the Wine session after\n"
    "  wait COUNT [SECONDS]             wait until joysticks 0..COUNT-1 are there (default 30 s)\n"
    "  list                             number, product name, force feedback and presence of each\n"
    "  state N X Y Z RZ HAT BUTTONS     set joystick N's state: axes -32767..32767, hat 0..7 clockwise\n"
    "                                   from north or 8 for centred, buttons as a 16-bit mask\n"
    "  reports N                        print what joystick N received since the last call, decoded\n"
    "  name N PRODUCT                   change joystick N's product name\n"
    "  present N 0|1                    list joystick N in DirectInput's enumeration or leave it out\n"
    "  remove N                         remove joystick N from the running system (install adds it again)\n";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

long number(const std::string& word, long low, long high) {
    long value = 0;
    const char* end = word.data() + word.size();
    int base = 10;
    const char* first = word.data();
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        first += 2;
        base = 16;
    }
    auto [ptr, ec] = std::from_chars(first, end, value, base);
    if (ec != std::errc() || ptr != end || first == end || value < low || value > high)
        throw UsageError("bad number '" + word + "' (expected " + std::to_string(low) + ".." + std::to_string(high) +
                         ")");
    return value;
}

vjoy::Joystick open(const std::string& word) {
    const int n = static_cast<int>(number(word, 0, 99));
    auto joystick = vjoy::Joystick::open(n);
    if (!joystick) throw std::runtime_error("virtual joystick " + word + " is not there");
    return std::move(*joystick);
}

std::string program_folder() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    const std::size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? "." : folder.substr(0, slash);
}

int run(const std::vector<std::string>& args) {
    if (args.empty()) throw UsageError("no command");
    const std::string& command = args[0];
    const std::size_t n = args.size() - 1;
    auto need = [&](bool ok) {
        if (!ok) throw UsageError("wrong number of arguments for '" + command + "'");
    };
    if (command == "install") {
        need(n >= 1);
        std::vector<vjoy::DeviceSpec> devices;
        for (std::size_t i = 1; i < args.size(); ++i) {
            std::string name = args[i];
            bool force_feedback = true;
            const std::size_t colon = name.rfind(':');
            if (colon != std::string::npos) {
                const std::string kind = name.substr(colon + 1);
                if (kind != "ff" && kind != "plain") throw UsageError("bad joystick kind '" + kind + "'");
                force_feedback = kind == "ff";
                name.resize(colon);
            }
            if (name.empty() || name.size() > 63) throw UsageError("a product name has 1 to 63 characters");
            devices.push_back({name, force_feedback});
        }
        const int added = vjoy::install(program_folder(), devices);
        std::cout << "installed " << added << " of " << devices.size() << " joysticks\n";
    } else if (command == "wait") {
        need(n == 1 || n == 2);
        const long count = number(args[1], 1, 99);
        const long seconds = n == 2 ? number(args[2], 1, 600) : 30;
        const std::vector<int> missing = vjoy::wait_for(static_cast<int>(count), std::chrono::seconds(seconds));
        if (!missing.empty()) {
            std::cerr << "tamrilo-vjoy: virtual joystick " << missing.front() << " (HID device root\\tamrilo_vjoy\\"
                      << missing.front() << ") did not appear within " << seconds << " s\n";
            return 1;
        }
    } else if (command == "list") {
        need(n == 0);
        for (int number : vjoy::installed()) {
            auto joystick = vjoy::Joystick::open(number);
            if (!joystick) continue;
            const vjoy::Info info = joystick->info();
            std::cout << number << " \"" << info.product << "\" " << (info.force_feedback ? "ff" : "plain")
                      << (info.present ? "" : " absent") << "\n";
        }
    } else if (command == "state") {
        need(n == 7);
        vjoy::State state;
        state.x = static_cast<std::int16_t>(number(args[2], -32767, 32767));
        state.y = static_cast<std::int16_t>(number(args[3], -32767, 32767));
        state.z = static_cast<std::int16_t>(number(args[4], -32767, 32767));
        state.rz = static_cast<std::int16_t>(number(args[5], -32767, 32767));
        state.hat = static_cast<int>(number(args[6], 0, 8));
        state.buttons = static_cast<std::uint16_t>(number(args[7], 0, 0xFFFF));
        open(args[1]).set_state(state);
    } else if (command == "reports") {
        need(n == 1);
        auto joystick = open(args[1]);
        for (const vjoy::Report& report : joystick.received()) std::cout << report.text() << "\n";
        if (const unsigned long lost = joystick.info().lost_records) std::cout << "lost " << lost << " reports\n";
    } else if (command == "name") {
        need(n == 2);
        if (args[2].empty() || args[2].size() > 63) throw UsageError("a product name has 1 to 63 characters");
        open(args[1]).set_product(args[2]);
    } else if (command == "present") {
        need(n == 2);
        const bool present = number(args[2], 0, 1) != 0;
        open(args[1]).set_present(present);
    } else if (command == "remove") {
        need(n == 1);
        if (!vjoy::remove(static_cast<int>(number(args[1], 0, 99))))
            throw std::runtime_error("virtual joystick " + args[1] + " is not installed");
    } else {
        throw UsageError("unknown command '" + command + "'");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        std::cerr << "tamrilo-vjoy: " << e.what() << "\n" << kUsage;
        return kUsageError;
    } catch (const std::exception& e) {
        std::cerr << "tamrilo-vjoy: " << e.what() << "\n";
        return 1;
    }
}
