#include "CardLayouts.h"

CardLayouts CardLayoutsOf(const Tag& tag) {
    const quint32 bits = quint32(tag.number);
    return {int((bits >> 16) & 0xFF), int(bits & 0xFFFF), int(bits >> 16), int(bits & 0xFFFF)};
}

QString Wiegand26Text(const CardLayouts& layouts) {
    return QString::asprintf("%03d,%05d", layouts.facility26, layouts.card26);
}

QString Wiegand34Text(const CardLayouts& layouts) {
    return QString::asprintf("%05d,%05d", layouts.high34, layouts.low34);
}
