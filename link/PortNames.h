#pragma once

#include <QString>

// Resolves a COM number to the serial device it stands for. A link named "COMn" in the machine
// folder's ports/ sub-folder wins; otherwise a fixed map, so a kept COM number keeps meaning the
// same device: COM1-COM4 /dev/ttyS0-3, COM5-COM12 /dev/ttyUSB0-7, COM13-COM16 /dev/ttyACM0-3.
class PortNames {
  public:
    explicit PortNames(QString machineFolder);

    // "COM" and the number in decimal without leading zeros.
    static QString PortName(int comNumber);
    // The fixed device of a COM number, empty outside 1 to 16.
    static QString DefaultDevice(int comNumber);
    // Where an explicit assignment of the COM number lives.
    QString LinkPath(int comNumber) const;
    // The device to open for the COM number; empty when there is none.
    QString DevicePath(int comNumber) const;

  private:
    QString portsFolder_;
};
