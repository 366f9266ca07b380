// A run's forces from what a device was sent: the reports a virtual joystick received from the
// loaded DirectInput (Wine's own, for one), time-stamped on arrival, and where the script put
// the stick. The same force model then draws what the device was told to play.
#pragma once

#include <string>
#include <vector>

#include "force/model.h"
#include "force/preview/recording.h"
#include "virtual-joystick/control/reports.h"

namespace tamrilo::force::preview {

struct DeviceRecording {
    // What the device received, taken after each export call (and at the end of the run, with
    // no export named), in arrival order; times count from the start of the run.
    struct Batch {
        std::string export_name;
        std::vector<vjoy::Report> reports;
    };
    std::vector<Batch> batches;
    force::StickMotion stick;
    long long end_us = 0;
    unsigned long lost_reports = 0;  // reports the device could not keep
};

// The plays the reports describe: an effect block plays from its start operation until a stop,
// a free, or a device stop-all, reset, pause or disabling of the actuators; new parameters or a
// new device gain begin a new stretch of the same play. Each definition of a block is an effect
// of its own, named after the slot of the export that defined it.
ForceSource device_source(const DeviceRecording& recording);

}  // namespace tamrilo::force::preview
