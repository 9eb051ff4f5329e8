// The "Device Information" group of the transfer windows: the connected device as the main window
// knows it, in six bordered boxes.
#pragma once

#include "VXTTypes.h"

class QGroupBox;
class QLabel;

namespace vxt {

struct TDeviceLabels {
    QLabel *stDevice = nullptr, *stHostname = nullptr, *stMACAddress = nullptr, *stFirmware = nullptr,
           *stIPAddress = nullptr, *stRemoteIP = nullptr;

    // The group, its boxes made into these labels, laid out in `columns` captioned columns.
    QGroupBox *NewDeviceGroup(const char *objectName, int columns);
    void ShowDevice(const TDeviceData &device) const;
};

}  // namespace vxt
