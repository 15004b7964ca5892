#pragma once

#include <QByteArray>
#include <QString>

// Text from outside the program (labels, serial numbers, file and device names, what a file
// holds) as a terminal may show it: every control character in a visible form, so that no
// byte moves the cursor, clears the screen, sets a title or splits a line. C0 controls and DEL
// become "\t", "\n", "\r", "\e" and the like or "\xNN", C1 controls "\u0085", a lone surrogate
// "\uD800". The result holds no control character, so escaping it again changes nothing.
QString TerminalText(const QString& text);
// Bytes that should be UTF-8 (names from the file system): each byte that is not, "\xNN".
QString TerminalText(const QByteArray& bytes);

// What an error message quotes of what it read: at most `length` characters, escaped, and "..."
// when there was more.
QString TerminalExcerpt(const QString& text, int length = 32);
