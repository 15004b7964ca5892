#include "PortInventory.h"

QString DeviceStateName(DeviceState state) {
    switch (state) {
        case DeviceState::Free:
            return QStringLiteral("free");
        case DeviceState::InUse:
            return QStringLiteral("in-use");
        case DeviceState::NoPermission:
            return QStringLiteral("no-permission");
        case DeviceState::MissingTarget:
            return QStringLiteral("missing-link-target");
        case DeviceState::Present:
            return QStringLiteral("present");
        case DeviceState::Absent:
            break;
    }
    return QStringLiteral("absent");
}
