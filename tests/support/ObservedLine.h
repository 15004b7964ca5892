#pragma once

// Sits between an operation and a line: records every open with its line setting and the
// commands sent while it was open, tells a test each command the moment it has gone out, and
// can put a reply of the test's own in place of the reader's.

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

#include "CommandFrames.h"
#include "LineSetting.h"
#include "SerialLine.h"

class ObservedLine final : public SerialLine {
  public:
    struct PortUse {
        QString device;
        bool opened = false;
        std::optional<LineParameters> line;
        QList<QByteArray> commands;
    };

    explicit ObservedLine(SerialLine& inner) : inner_(inner) {}

    OpenResult Open(const QString& devicePath) override {
        const OpenResult result = inner_.Open(devicePath);
        uses.append({devicePath, result.opened(), std::nullopt, {}});
        return result;
    }
    bool GetTimeouts(CommTimeouts& timeouts) override { return inner_.GetTimeouts(timeouts); }
    bool SetTimeouts(const CommTimeouts& timeouts) override { return inner_.SetTimeouts(timeouts); }
    bool SetLine(const LineParameters& line) override {
        if (!uses.isEmpty()) uses.last().line = line;
        return inner_.SetLine(line);
    }
    qint64 Write(const char* data, qint64 count) override {
        const qint64 written = inner_.Write(data, count);
        frames_.Feed(data, count, [this](const QByteArray& text) { CommandWritten(text); });
        return written;
    }
    int ReadByte(char* byte) override {
        if (!substitute_) return inner_.ReadByte(byte);
        // The reader's own reply is drained and dropped, the test's served in its place.
        char dropped = 0;
        if (!substitute_->isEmpty()) {
            *byte = substitute_->front();
            substitute_->remove(0, 1);
            return 1;
        }
        inner_.ReadByte(&dropped);
        return 0;
    }
    bool Purge() override {
        substitute_.reset();
        return inner_.Purge();
    }
    void Close() override {
        substitute_.reset();
        inner_.Close();
    }

    // The uses of one device, in order.
    QList<PortUse> UsesOf(const QString& device) const {
        QList<PortUse> found;
        for (const PortUse& use : uses)
            if (use.device == device) found << use;
        return found;
    }
    QList<QByteArray> AllCommands() const {
        QList<QByteArray> all;
        for (const PortUse& use : uses) all << use.commands;
        return all;
    }

    QList<PortUse> uses;
    // Each command text, right after its CR has gone out to the reader.
    std::function<void(const QByteArray&)> onCommand;
    // A reply frame of the test's own for a command, or nothing to let the reader answer.
    std::function<std::optional<QByteArray>(const QByteArray&)> replyFor;

  private:
    void CommandWritten(const QByteArray& text) {
        if (!uses.isEmpty()) uses.last().commands << text;
        if (onCommand) onCommand(text);
        if (replyFor) substitute_ = replyFor(text);
    }

    SerialLine& inner_;
    CommandFrameSplitter frames_;
    std::optional<QByteArray> substitute_;
};
