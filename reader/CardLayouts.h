#pragma once

#include <QString>

#include "ReadingRun.h"

// A tag number as access controllers show it. A controller reads the Wiegand bits the reader
// sends in one of these common layouts; one set to another layout shows another number.
struct CardLayouts {
    int facility26 = 0;  // 26-bit layout: facility code, bits 23 to 16 (0 to 255)
    int card26 = 0;      // 26-bit layout: card number, bits 15 to 0 (0 to 65535)
    int high34 = 0;      // 34-bit layout: bits 31 to 16
    int low34 = 0;       // 34-bit layout: bits 15 to 0
};

CardLayouts CardLayoutsOf(const Tag& tag);

// As the layouts are usually written: "077,30211" and "00077,30211".
QString Wiegand26Text(const CardLayouts& layouts);
QString Wiegand34Text(const CardLayouts& layouts);
