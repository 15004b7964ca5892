#include "FrameLog.h"

#include <QFile>
#include <QTime>
#include <cerrno>
#include <cstring>

FrameLog::~FrameLog() {
    if (ownsFile_) std::fclose(file_);
}

bool FrameLog::Open(const QString& path, QString* error) {
    if (path == "-") {
        file_ = stdout;
        return true;
    }
    file_ = std::fopen(QFile::encodeName(path).constData(), "a");
    if (!file_) {
        *error = "Cannot write the log " + path + ": " + QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    ownsFile_ = true;
    return true;
}

QString FrameLog::Spell(const QByteArray& bytes) {
    QString text;
    for (char c : bytes) {
        const uchar b = uchar(c);
        if (b == 0x09)
            text += "<TAB>";
        else if (b == 0x0A)
            text += "<LF>";
        else if (b == 0x0D)
            text += "<CR>";
        else if (b < 0x20 || b > 0x7E || b == '<')
            text += QString::asprintf("<%02X>", b);
        else
            text += QChar(b);
    }
    return text;
}

void FrameLog::Received(const QByteArray& bytes, const QString& note) {
    Line("<-", note.isEmpty() ? Spell(bytes) : Spell(bytes) + "   " + note);
}

void FrameLog::Sent(const QByteArray& bytes, const QString& note) {
    Line("->", note.isEmpty() ? Spell(bytes) : Spell(bytes) + "   " + note);
}

void FrameLog::Note(const QString& text) {
    Line("--", text);
}

void FrameLog::Line(const char* direction, const QString& text) {
    if (!file_) return;
    const QByteArray time = QTime::currentTime().toString("hh:mm:ss.zzz").toLatin1();
    std::fprintf(file_, "%s %s %s\n", time.constData(), direction, text.toLocal8Bit().constData());
    std::fflush(file_);  // a test or a person reads it while the simulator runs
}
