#pragma once

#include <QByteArray>
#include <QString>

#include "ReadingRun.h"

// What a front end shows of the reader and its tags, in a column of the text table (0 English,
// 1 Simplified, 2 Traditional Chinese): the window's panels and the command line's lines.

// "S/N : 40002718"; before a reader answered, "S/N : ________".
QString SerialCaption(const QByteArray& serialNumber, int language);
QString UnknownSerialCaption(int language);
// "VER : 01.70-01"; before a reader told it, "VER : __.__-__".
QString VersionCaption(const QByteArray& version, int language);
QString UnknownVersionCaption(int language);
// "TAG ID : 0000048225  0000BC61(H)": the decimal value, then the hexadecimal digits as they came.
QString TagCaption(const Tag& tag, int language);
