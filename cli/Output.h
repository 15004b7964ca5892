#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

// Standard output: plain lines for people, or one compact JSON object per line for scripts.
// Every line is flushed at once, so that a pipe sees each tag as it is read.
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

  private:
    bool json_;
};
