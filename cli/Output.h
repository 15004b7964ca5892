#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

// Standard output: plain lines for people, or one compact JSON object per line for scripts.
// Every line is flushed at once, so that a pipe sees each tag as it is read.
//
// Every line for people, on standard output and standard error, is shown as text: a control
// character in it (from a label, a device's name, a file) is spelled out (TerminalText), so that
// nothing printed moves the cursor, sets a title or splits a line. JSON escapes its own.
class Output {
  public:
    explicit Output(bool json) : json_(json) {}
    bool json() const { return json_; }

    // Written only for people.
    void Lines(const QStringList& lines) const;
    // Written only for scripts.
    void Object(const QJsonObject& object) const;
    // A note on standard error, for both.
    static void Note(const QString& text);
    // A line on standard error after a note, without the program's name: what the note hands
    // over, such as a record's entry to be kept by hand.
    static void NoteLine(const QString& text);

  private:
    bool json_;
};
