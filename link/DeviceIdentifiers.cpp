#include "DeviceIdentifiers.h"

#include <QRegularExpression>
#include <QStringList>

PortIdentity IdentityFromInstanceId(const QString& instanceId) {
    PortIdentity identity;
    static const QRegularExpression ids(QStringLiteral("VID_([0-9A-F]{4})[&+]PID_([0-9A-F]{4})"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = ids.match(instanceId);
    if (!match.hasMatch()) return identity;
    identity.vendorId = match.captured(1).toLower();
    identity.productId = match.captured(2).toLower();
    const QStringList parts = instanceId.split(QLatin1Char('\\'));
    if (parts.size() != 3) return identity;
    const QString bus = parts[0].toUpper();
    if (bus == QLatin1String("USB") && !parts[2].isEmpty() && !parts[2].contains(QLatin1Char('&')))
        identity.serialNumber = parts[2];
    if (bus == QLatin1String("FTDIBUS")) {
        // The serial number with the letter of the chip's port appended.
        const QString serial = parts[1].section(QLatin1Char('+'), 2, 2);
        if (serial.size() > 1) identity.serialNumber = serial.chopped(1);
    }
    return identity;
}

int LatencyTimerFromValue(quint32 type, const QByteArray& data) {
    if (type != RegistryDword || data.size() != 4) return 0;
    const quint32 ms = quint32(quint8(data[0])) | quint32(quint8(data[1])) << 8 |
                       quint32(quint8(data[2])) << 16 | quint32(quint8(data[3])) << 24;
    // The driver takes 1 to 255 ms.
    return ms >= 1 && ms <= 255 ? int(ms) : 0;
}
