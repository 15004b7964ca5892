#pragma once

// The reader operations without the window: a context on an in-memory reader and a virtual
// clock, reporting to a view that records what it is shown, with the time of each step, in one
// timeline with the opens, frames and replies on the line.
//
//   ReaderRig rig;                       // reader on COM3 at "19200,e,8,1"
//   ScanReader(rig.context, true);
//   rig.log.Times("frame A00B")          // when each presence check went out

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

#include "CommandFrames.h"
#include "OvershootClock.h"
#include "PortNames.h"
#include "ReaderContext.h"
#include "ReaderModel.h"
#include "ReaderOperations.h"
#include "SimulatedLine.h"
#include "ToneRecorder.h"
#include "VirtualClock.h"

// What happened, in order, with the virtual time in microseconds.
struct Timeline {
    struct Entry {
        quint64 atUs;
        QString what;
    };
    explicit Timeline(VirtualClock& clock) : clock_(clock) {}
    void Note(const QString& what) { entries.append({clock_.NowUs(), what}); }
    QList<quint64> Times(const QString& what) const {
        QList<quint64> times;
        for (const Entry& e : entries)
            if (e.what == what) times << e.atUs;
        return times;
    }
    QStringList What() const {
        QStringList all;
        for (const Entry& e : entries) all << e.what;
        return all;
    }
    QList<Entry> entries;

  private:
    VirtualClock& clock_;
};

// Notes on the timeline each open, the moment each frame begins ("frame A00B": its TAB is
// written) and the moment each reply ends ("reply": its CR is read).
class TimedLine final : public SerialLine {
  public:
    TimedLine(SerialLine& inner, Timeline& log) : inner_(inner), log_(log) {}
    OpenResult Open(const QString& device) override {
        const OpenResult result = inner_.Open(device);
        log_.Note((result.opened() ? "open " : "open failed ") + device);
        return result;
    }
    bool GetTimeouts(CommTimeouts& t) override { return inner_.GetTimeouts(t); }
    bool SetTimeouts(const CommTimeouts& t) override { return inner_.SetTimeouts(t); }
    bool SetLine(const LineParameters& line) override { return inner_.SetLine(line); }
    qint64 Write(const char* data, qint64 count) override {
        frames_.Feed(
            data, count,
            [this] {
                frameEntry_ = log_.entries.size();
                log_.Note("frame");  // named when its CR has gone out
            },
            [this](const QByteArray& text) {
                if (frameEntry_ >= 0)
                    log_.entries[frameEntry_].what = "frame " + QString::fromLatin1(text);
            });
        return inner_.Write(data, count);
    }
    int ReadByte(char* byte) override {
        const int n = inner_.ReadByte(byte);
        if (n == 1 && *byte == '\r') log_.Note("reply");
        return n;
    }
    bool Purge() override { return inner_.Purge(); }
    void Close() override {
        inner_.Close();
        log_.Note("close");
    }

  private:
    SerialLine& inner_;
    Timeline& log_;
    CommandFrameSplitter frames_;
    qsizetype frameEntry_ = -1;
};

// The view of the operations as a recording: each step on the timeline in words ("busy on",
// "message Set Same Card Ok", "verdict red", "line 5", "reader 00001234 01", "tag 0000BC61"),
// with the English text of each message, and the state the steps leave.
class RecordingView final : public ReaderView {
  public:
    RecordingView(VirtualClock& clock, Timeline& log) : clock_(clock), log_(log) {}

    void Report(const OperationStep& step) override {
        using Kind = OperationStep::Kind;
        const QString onOff = step.on ? "on" : "off";
        switch (step.kind) {
            case Kind::Busy:
                busy = step.on;
                return log_.Note("busy " + onOff);
            case Kind::Waiting:
                waiting = step.on;
                return log_.Note("wait " + onOff);
            case Kind::Hourglass:
                hourglass = step.on;
                return log_.Note("hourglass " + onOff);
            case Kind::ScanStarted:
                message = step.message.Text(0);
                return log_.Note("scan started " + message);
            case Kind::Message:
                message = step.message.Text(0);
                return log_.Note("message " + message);
            case Kind::Verdict:
                verdict = step.on;
                return log_.Note(step.on ? "verdict yellow" : "verdict red");
            case Kind::LineSetting:
                selectedLine = step.lineIndex;
                return log_.Note(QString("line %1").arg(step.lineIndex));
            case Kind::ReaderAnswered:
                reader = step.reader;
                return log_.Note("reader " + QString::fromLatin1(step.reader.serialNumber) + " " +
                                 QString::fromLatin1(step.reader.readerNumber));
            case Kind::VersionRead:
                reader = step.reader;
                return log_.Note("version " + QString::fromLatin1(step.reader.version));
            case Kind::FactoryValues:
                return log_.Note("factory values");
            case Kind::ReadingStarted:
                return log_.Note("reading started");
            case Kind::ReadingListening:
                return log_.Note("listening");
            case Kind::TagRead:
                tags << step.tag.hex;
                return log_.Note("tag " + QString::fromLatin1(step.tag.hex));
            case Kind::ReadingStopped:
                return log_.Note("reading stopped");
            case Kind::ReadingEnded:
                return log_.Note("reading ended");
        }
    }
    void ProcessMessages() override { ++dispatches; }

    QString message;              // the last message, in English
    std::optional<bool> verdict;  // the link indicator: yellow (true) or red
    int selectedLine = -1;
    bool busy = false, waiting = false, hourglass = false;
    ReaderIdentity reader;
    QList<QByteArray> tags;
    int dispatches = 0;

  private:
    VirtualClock& clock_;
    Timeline& log_;
};

// A kept-settings store in memory.
class MemoryStore final : public KeptSettingsStore {
  public:
    void Load(KeptSettings& settings) const override { settings = kept; }
    void SaveScan(int commNo, int baudRateNo, const QString& baudRate) override {
        kept.ScanCommNo = commNo;
        kept.ScanBaudRateNo = baudRateNo;
        kept.ScanBaudRate = baudRate;
        ++scanSaves;
    }
    void SaveLanguage(const QString& flag) override { kept.LanguageFlag = flag; }
    KeptSettings kept;
    int scanSaves = 0;
};

// A context on an in-memory reader behind COM3, with every piece recording.
struct ReaderRig {
    explicit ReaderRig(ReaderOptions options = {})
        : reader(std::move(options)),
          line(reader, clock, PortNames::DefaultDevice(3)),
          timed(line, log),
          tones(clock),
          view(clock, log),
          context(view, Services()) {}
    // As a scan leaves the context that found the reader.
    void FoundAt(int lineIndex = FactoryLineIndex) {
        context.ScanCommNo = 3;
        context.ScanBaudRateNo = lineIndex;
        context.ScanBaudRate = QString::fromLatin1(LineSettingTable[lineIndex]);
        context.ReaderFound = true;
    }
    // The time from the end of the last reply (or the open) before each frame of `text` to
    // that frame, in microseconds.
    QList<quint64> PausesBefore(const QString& text) const {
        QList<quint64> pauses;
        quint64 lastUs = 0;
        for (const Timeline::Entry& e : log.entries) {
            if (e.what == "reply" || e.what.startsWith("open ")) lastUs = e.atUs;
            if (e.what == "frame " + text) pauses << e.atUs - lastUs;
        }
        return pauses;
    }

  private:
    QTemporaryDir folder;

  public:
    VirtualClock clock;
    // The context's clock: the virtual one, with an overshoot of every sleep when asked.
    OvershootClock contextClock{clock, 0};
    Timeline log{clock};
    ReaderModel reader;
    SimulatedLine line;
    TimedLine timed;
    ToneRecorder tones;
    MemoryStore store;
    RecordingView view;
    ReaderContext context;

  private:
    ContextServices Services() {
        ContextServices s;
        s.line = &timed;
        s.clock = &contextClock;
        s.store = &store;
        s.tone = &tones;
        s.machineFolder = folder.path();
        return s;
    }
};
