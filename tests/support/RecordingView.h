#pragma once

// The reader operations without the window: a context on an in-memory reader and a virtual
// clock, reporting to a view that records what it is shown, with the time of each step, in one
// timeline with the opens, frames and replies on the line, the tones and the saves of the kept
// place.
//
//   ReaderRig rig;                       // reader on COM3 at "19200,e,8,1"
//   ScanReader(rig.context, true);
//   rig.log.Times("frame A00B")          // when each presence check went out
//   rig.observed.uses                    // each open with its line setting and its commands

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

#include "CommandFrames.h"
#include "ObservedLine.h"
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

// Notes each tone on the timeline as it starts ("tone 1000 300"), then sounds it.
class TimedTone final : public ToneSink {
  public:
    TimedTone(ToneSink& inner, Timeline& log) : inner_(inner), log_(log) {}
    void Beep(int frequencyHz, int durationMs) override {
        log_.Note(QString("tone %1 %2").arg(frequencyHz).arg(durationMs));
        inner_.Beep(frequencyHz, durationMs);
    }

  private:
    ToneSink& inner_;
    Timeline& log_;
};

// The view of the operations as a recording: each step on the timeline in words ("busy on",
// "message Set Same Card Ok", "verdict red", "line 5", "reader 00001234 01", "tag 0000BC61"),
// with the English text of each message, and the state the steps leave; the messages
// themselves, in every language, in `messages`.
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
                messages << step.message;
                message = step.message.Text(0);
                return log_.Note("scan started " + message);
            case Kind::Message:
                messages << step.message;
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
                tags << step.tag;
                return log_.Note("tag " + QString::fromLatin1(step.tag.hex));
            case Kind::ReadingStopped:
                return log_.Note("reading stopped");
            case Kind::ReadingEnded:
                return log_.Note("reading ended");
        }
    }
    void ProcessMessages() override { ++dispatches; }

    QString message;              // the last message, in English
    QList<Message> messages;      // every message, in order
    std::optional<bool> verdict;  // the link indicator: yellow (true) or red
    int selectedLine = -1;
    bool busy = false, waiting = false, hourglass = false;
    ReaderIdentity reader;
    QList<Tag> tags;
    int dispatches = 0;

  private:
    VirtualClock& clock_;
    Timeline& log_;
};

// A kept-settings store in memory; each save of the place is noted on the timeline
// ("kept COM3 5 19200,e,8,1").
class MemoryStore final : public KeptSettingsStore {
  public:
    explicit MemoryStore(Timeline* log = nullptr) : log_(log) {}
    void Load(KeptSettings& settings) const override { settings = kept; }
    void SaveScan(int commNo, int baudRateNo, const QString& baudRate) override {
        kept.ScanCommNo = commNo;
        kept.ScanBaudRateNo = baudRateNo;
        kept.ScanBaudRate = baudRate;
        ++scanSaves;
        if (log_) log_->Note(QString("kept COM%1 %2 %3").arg(commNo).arg(baudRateNo).arg(baudRate));
    }
    void SaveLanguage(const QString& flag) override { kept.LanguageFlag = flag; }
    KeptSettings kept;
    int scanSaves = 0;

  private:
    Timeline* log_;
};

// A context on an in-memory reader behind COM3 (or another device), with every piece recording.
struct ReaderRig {
    explicit ReaderRig(ReaderOptions options = {},
                       const QString& readerDevice = PortNames::DefaultDevice(3))
        : reader(std::move(options)),
          line(reader, clock, readerDevice),
          observed(line),
          timed(observed, log),
          tones(clock),
          timedTones(tones, log),
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
    ObservedLine observed;  // replies of a test's own go in here, below the timeline
    TimedLine timed;
    ToneRecorder tones;
    TimedTone timedTones;
    MemoryStore store{&log};
    RecordingView view;
    ReaderContext context;

  private:
    ContextServices Services() {
        ContextServices s;
        s.line = &timed;
        s.clock = &contextClock;
        s.store = &store;
        s.tone = &timedTones;
        s.machineFolder = folder.path();
        return s;
    }
};
