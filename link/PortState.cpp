#include "PortState.h"

QString PortStateName(PortState state) {
    switch (state) {
        case PortState::Free:
            return QStringLiteral("free");
        case PortState::Present:
            return QStringLiteral("present");
        case PortState::NoDevice:
            break;
        case PortState::MissingTarget:
            return QStringLiteral("missing-link-target");
        case PortState::NoPermission:
            return QStringLiteral("no-permission");
        case PortState::InUse:
            return QStringLiteral("in-use");
        case PortState::NotSerialDevice:
            return QStringLiteral("not-serial-device");
        case PortState::OpenError:
            return QStringLiteral("open-error");
        case PortState::Gone:
            return QStringLiteral("gone");
        case PortState::Answered:
            return QStringLiteral("answered");
        case PortState::Silent:
            return QStringLiteral("silent");
    }
    return QStringLiteral("no-device");
}
