// The control library of the virtual joysticks (Windows, under Wine): installs the driver and
// its devices, finds a joystick by its number, sets its state and drains what it received.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "virtual-joystick/control/reports.h"

namespace tamrilo::vjoy {

// A joystick to install: its product name and whether it has force feedback.
struct DeviceSpec {
    std::string product;
    bool force_feedback = true;
};

// Installs the driver (from the .inf beside the .sys in `driver_folder`) and one device per spec,
// numbered from 0. A device that is already installed is left as it is: running the installer
// twice installs nothing twice. Returns the number of devices newly installed; throws
// std::runtime_error on failure. New devices appear in the next Wine session.
int install(const std::string& driver_folder, const std::vector<DeviceSpec>& devices);

// The state a joystick reports: axes -32767..32767, hat 0..7 clockwise from north or
// kHatCentred, button n in bit n-1.
struct State {
    static constexpr int kHatCentred = 8;
    std::int16_t x = 0, y = 0, z = 0, rz = 0;
    int hat = kHatCentred;
    std::uint16_t buttons = 0;
};

struct Info {
    bool force_feedback = false;
    bool present = false;
    unsigned long lost_records = 0;
    unsigned long reads = 0;
    std::string product;
};

class Joystick {
public:
    // Opens virtual joystick `number`; std::nullopt when its HID device is not there.
    static std::optional<Joystick> open(int number);
    Joystick(Joystick&& other) noexcept;
    Joystick& operator=(Joystick&& other) noexcept;
    ~Joystick();

    int number() const { return number_; }
    Info info() const;
    // The next read of the device returns `state`; returns once the device has served it.
    void set_state(const State& state);
    // Takes the reports received since the last drain.
    std::vector<vj_record> drain();
    std::vector<Report> received(const Clock& clock = {}) { return decode(drain(), clock); }
    void set_product(const std::string& product);
    // A joystick that is not present is left out of DirectInput's enumeration.
    void set_present(bool present);

private:
    Joystick(void* handle, int number) : handle_(handle), number_(number) {}
    void control(unsigned long code, const void* in, unsigned long in_size, void* out = nullptr,
                 unsigned long out_size = 0, unsigned long* written = nullptr) const;
    void* handle_;
    int number_;
};

// A clock that starts now, on the counter the driver stamps received reports with.
Clock clock_from_now();
// The time on `clock` now.
std::int64_t now_us(const Clock& clock);

// Waits until virtual joysticks 0..count-1 are there and answer; returns the numbers of those
// still missing after `timeout` (empty when all appeared).
std::vector<int> wait_for(int count, std::chrono::milliseconds timeout);

// Removes installed joystick `number` from the running system, as if its cable were pulled:
// DirectInput's reads of it fail from then on. False when it is not installed.
bool remove(int number);

// The numbers of the installed virtual joysticks whose HID device is there.
std::vector<int> installed();

}  // namespace tamrilo::vjoy
