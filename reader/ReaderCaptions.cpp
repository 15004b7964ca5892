#include "ReaderCaptions.h"

#include "Message.h"

namespace {

QString Row(int row, int language) {
    return Message::Row(row).Text(language);
}

}  // namespace

QString SerialCaption(const QByteArray& serialNumber, int language) {
    return Row(RowSerial, language) + " : " + QString::fromLatin1(serialNumber);
}

QString UnknownSerialCaption(int language) {
    return SerialCaption("________", language);
}

QString VersionCaption(const QByteArray& version, int language) {
    return Row(RowVersion, language) + " : " + QString::fromLatin1(version);
}

QString UnknownVersionCaption(int language) {
    return VersionCaption("__.__-__", language);
}

QString TagCaption(const Tag& tag, int language) {
    return Row(RowTagId, language) + QString::asprintf(" : %010d  ", tag.number) +
           QString::fromLatin1(tag.hex) + "(H)";
}
