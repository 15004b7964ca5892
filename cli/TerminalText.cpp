#include "TerminalText.h"

namespace {

QString Hex(uint value, int width) {
    return QString::number(value, 16).toUpper().rightJustified(width, QLatin1Char('0'));
}

void AppendEscaped(QString& out, char32_t c) {
    // The forms C and the shells know; the others as "\xNN".
    static const char* const named[] = {nullptr, nullptr, nullptr, nullptr, nullptr,
                                        nullptr, nullptr, "\\a",   "\\b",   "\\t",
                                        "\\n",   "\\v",   "\\f",   "\\r"};
    if (c < 0x20 || c == 0x7F) {
        if (c < sizeof named / sizeof *named && named[c])
            out += QLatin1String(named[c]);
        else if (c == 0x1B)
            out += QLatin1String("\\e");
        else
            out += QLatin1String("\\x") + Hex(c, 2);
    } else if ((c >= 0x80 && c <= 0x9F) || (c >= 0xD800 && c <= 0xDFFF)) {
        out += QLatin1String("\\u") + Hex(c, 4);
    } else if (c <= 0xFFFF) {
        out += QChar(char16_t(c));
    } else {
        out += QString::fromUcs4(&c, 1);
    }
}

// The length of the UTF-8 sequence at `at`, or 0 when it is not one: no overlong form, no
// surrogate, nothing above U+10FFFF.
int Utf8Length(const QByteArray& bytes, int at, char32_t& code) {
    const auto byte = [&](int i) { return uchar(bytes[at + i]); };
    const uchar first = byte(0);
    int length = 0;
    if (first < 0x80) {
        code = first;
        return 1;
    } else if (first >= 0xC2 && first <= 0xDF) {
        length = 2, code = first & 0x1F;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3, code = first & 0x0F;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4, code = first & 0x07;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) return 0;
    for (int i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    static const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

QString TerminalText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else {
            AppendEscaped(out, c.unicode());
        }
    }
    return out;
}

QString TerminalText(const QByteArray& bytes) {
    QString out;
    for (int i = 0; i < bytes.size();) {
        char32_t code = 0;
        const int length = Utf8Length(bytes, i, code);
        if (length == 0) {
            out += QLatin1String("\\x") + Hex(uchar(bytes[i]), 2);
            ++i;
        } else {
            AppendEscaped(out, code);
            i += length;
        }
    }
    return out;
}

QString TerminalExcerpt(const QString& text, int length) {
    if (text.size() <= length) return TerminalText(text);
    // Not cut between the two halves of a surrogate pair.
    if (text[length - 1].isHighSurrogate()) --length;
    return TerminalText(text.left(length)) + QStringLiteral("...");
}
