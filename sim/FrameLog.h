#pragma once

#include <QByteArray>
#include <QString>
#include <cstdio>

// The simulator's log of every frame received and sent, one line each with a millisecond
// timestamp, the direction and the bytes with their control characters spelled out:
//   14:02:07.481 <- <TAB>A00B0A<CR>
//   14:02:07.484 -> <LF>B01S0000123452<CR>
//   14:02:09.120 -- not heard: the line is at 9600 baud, the reader at 19200
class FrameLog {
  public:
    FrameLog() = default;  // logs nothing
    ~FrameLog();
    FrameLog(const FrameLog&) = delete;
    FrameLog& operator=(const FrameLog&) = delete;

    // "-" logs to standard output; any other path is a file, appended to.
    bool Open(const QString& path, QString* error);
    bool isOpen() const { return file_ != nullptr; }

    void Received(const QByteArray& bytes, const QString& note = QString());
    void Sent(const QByteArray& bytes, const QString& note = QString());
    void Note(const QString& text);

    // Control and other non-printable bytes as <TAB>, <LF>, <CR> or <hh>.
    static QString Spell(const QByteArray& bytes);

  private:
    void Line(const char* direction, const QString& text);

    std::FILE* file_ = nullptr;
    bool ownsFile_ = false;
};
