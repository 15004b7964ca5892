#pragma once

#include <QString>

// Resolves a COM number to the serial device it stands for. A link named "COMn" in the machine
// folder's ports/ sub-folder wins; otherwise a fixed map, so a kept COM number keeps meaning the
// same device: COM1-COM4 /dev/ttyS0-3, COM5-COM12 /dev/ttyUSB0-7, COM13-COM16 /dev/ttyACM0-3.
//
// The command line may also name a device that no COM number reaches (a path on Linux, COM17 and
// above on Windows); it is used for that run alone and never kept, since the window could not
// reach it.
class PortNames {
  public:
    explicit PortNames(QString machineFolder, QString runOnlyDevice = {});

    // The COM numbers the window scans, COM1 to COM16, and the only ones kept between runs.
    static constexpr int FirstComNumber = 1;
    static constexpr int WindowPortCount = 16;
    static bool WindowReaches(int comNumber) {
        return comNumber >= FirstComNumber && comNumber <= WindowPortCount;
    }
    // The number that stands for the run-only device given by its path.
    static constexpr int RunOnlyPort = 1000;

    // "COM" and the number in decimal without leading zeros.
    static QString PortName(int comNumber);
    // How a port is named to people and scripts: "COMn", or the run-only device's path.
    QString Label(int comNumber) const;
    // The fixed device of a COM number, empty outside 1 to 16.
    static QString DefaultDevice(int comNumber);
    // Where an explicit assignment of the COM number lives.
    QString LinkPath(int comNumber) const;
    // The device to open for the COM number; empty when there is none.
    QString DevicePath(int comNumber) const;

  private:
    QString portsFolder_;
    QString runOnlyDevice_;
};
