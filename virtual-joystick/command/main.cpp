// tamrilo-vjoy: installs the virtual joysticks and drives them from a shell or a test script.
#include <windows.h>

#include <chrono>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/program_folder.h"
#include "virtual-joystick/command/arguments.h"
#include "virtual-joystick/control/virtual_joystick.h"

namespace vjoy = tamrilo::vjoy;

namespace {

constexpr int kUsageError = 2;

vjoy::Joystick open(int number) {
    auto joystick = vjoy::Joystick::open(number);
    if (!joystick) throw std::runtime_error("virtual joystick " + std::to_string(number) + " is not there");
    return std::move(*joystick);
}

int run(const vjoy::Arguments& a) {
    if (a.command == "install") {
        const int added = vjoy::install(tamrilo::platform::program_folder(), a.devices);
        std::cout << "installed " << added << " of " << a.devices.size() << " joysticks\n";
    } else if (a.command == "wait") {
        const std::vector<int> missing = vjoy::wait_for(a.count, std::chrono::seconds(a.seconds));
        if (!missing.empty()) {
            std::cerr << "tamrilo-vjoy: virtual joystick " << missing.front() << " (HID device root\\tamrilo_vjoy\\"
                      << missing.front() << ") did not appear within " << a.seconds << " s\n";
            return 1;
        }
    } else if (a.command == "list") {
        for (int number : vjoy::installed()) {
            auto joystick = vjoy::Joystick::open(number);
            if (!joystick) continue;
            const vjoy::Info info = joystick->info();
            std::cout << number << " \"" << info.product << "\" " << (info.force_feedback ? "ff" : "plain")
                      << (info.present ? "" : " absent") << "\n";
        }
    } else if (a.command == "state") {
        open(a.joystick).set_state(a.state);
    } else if (a.command == "reports") {
        auto joystick = open(a.joystick);
        for (const vjoy::Report& report : joystick.received()) std::cout << report.text() << "\n";
        if (const unsigned long lost = joystick.info().lost_records) std::cout << "lost " << lost << " reports\n";
    } else if (a.command == "name") {
        open(a.joystick).set_product(a.product);
    } else if (a.command == "present") {
        open(a.joystick).set_present(a.present);
    } else if (a.command == "remove") {
        if (!vjoy::remove(a.joystick)) {
            throw std::runtime_error("virtual joystick " + std::to_string(a.joystick) + " is not installed");
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(vjoy::parse_arguments(std::vector<std::string>(argv + 1, argv + argc)));
    } catch (const vjoy::UsageError& e) {
        std::cerr << "tamrilo-vjoy: " << e.what() << "\n" << vjoy::kUsage;
        return kUsageError;
    } catch (const std::exception& e) {
        std::cerr << "tamrilo-vjoy: " << e.what() << "\n";
        return 1;
    }
}
