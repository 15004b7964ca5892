#pragma once

#include <QString>

#include "LineSetting.h"
#include "ReaderProtocol.h"

// Where a reader is reached: a COM number and a line setting of the table. The kept settings
// may hold a line text outside the table (an edited store); such a place keeps that text and
// the index it was kept with, and the port is opened with the text as it stands.
struct ReaderPlace {
    int comNumber = 0;
    int lineIndex = FactoryLineIndex;
    QString lineSetting = QString::fromLatin1(LineSettingTable[FactoryLineIndex]);

    // A place at a line setting of the table: its text is the table's.
    static ReaderPlace At(int comNumber, int lineIndex) {
        ReaderPlace place;
        place.comNumber = comNumber;
        place.lineIndex = lineIndex;
        place.lineSetting =
            IsLineIndex(lineIndex) ? QString::fromLatin1(LineSettingTable[lineIndex]) : QString();
        return place;
    }
    // The same port at another line setting of the table.
    ReaderPlace WithLine(int index) const { return At(comNumber, index); }
    // The same port at another place's line setting, as that place holds it.
    ReaderPlace WithLineOf(const ReaderPlace& other) const {
        ReaderPlace place = other;
        place.comNumber = comNumber;
        return place;
    }

    bool operator==(const ReaderPlace& o) const {
        return comNumber == o.comNumber && lineIndex == o.lineIndex && lineSetting == o.lineSetting;
    }
    bool operator!=(const ReaderPlace& o) const { return !(*this == o); }
};
