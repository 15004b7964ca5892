#pragma once

#include <QByteArray>
#include <QList>

// Cuts the bytes the tool writes into its command frames (TAB, text, two check characters,
// CR) as they go out, byte by byte, whatever the writes' sizes.
class CommandFrameSplitter {
  public:
    // `started()` at each frame's TAB, `done(text)` at its CR.
    template <typename Started, typename Done>
    void Feed(const char* data, qint64 count, Started started, Done done) {
        for (qint64 i = 0; i < count; ++i) {
            if (data[i] == '\t') {
                frame_.clear();
                started();
            }
            frame_.append(data[i]);
            if (data[i] != '\r' || !frame_.startsWith('\t')) continue;
            if (frame_.size() >= 4) done(frame_.mid(1, frame_.size() - 4));
            frame_.clear();
        }
    }
    template <typename Done>
    void Feed(const char* data, qint64 count, Done done) {
        Feed(
            data, count, [] {}, done);
    }

  private:
    QByteArray frame_;
};

// Every command text in the bytes the tool wrote.
inline QList<QByteArray> CommandTexts(const QByteArray& written) {
    QList<QByteArray> commands;
    CommandFrameSplitter splitter;
    splitter.Feed(written.constData(), written.size(),
                  [&commands](const QByteArray& text) { commands << text; });
    return commands;
}
