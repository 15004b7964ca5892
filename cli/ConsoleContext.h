#pragma once

#include <QJsonObject>
#include <QStringList>
#include <memory>

#include "CommandLine.h"
#include "ConsoleView.h"
#include "Output.h"
#include "PlatformServices.h"
#include "ReaderContext.h"
#include "ReaderOperations.h"
#include "RecordFile.h"
#include "TraceWriter.h"

// "ok", "error", "no-reader" or "port-gone": the result of an outcome in the JSON lines and the
// record.
QString ResultName(Outcome outcome);

// One run of the command line: the platform's services on the machine folder, the console view
// and the context of the reader operations, as the window has them.
class ConsoleContext {
  public:
    explicit ConsoleContext(const Request& request);
    ConsoleContext(const ConsoleContext&) = delete;
    ConsoleContext& operator=(const ConsoleContext&) = delete;

    const Request& request() const { return request_; }
    ReaderContext& context() { return *context_; }
    ConsoleView& view() { return view_; }
    const Output& out() const { return out_; }
    // What the last search found, and what happened at every port it tried.
    const ScanResult& lastScan() const { return lastScan_; }
    // The reader as the last successful search found it.
    const ReaderIdentity& reader() const { return reader_; }
    // A message of an operation in the run's language.
    QString Text(const Message& message) const;

    // Finds the reader as the scan does and reports a failure; the exit status: 0 found and
    // told its version, 1 found but it did not tell its version, 2 no reader. For a command that
    // writes to the reader (writes), a port that went away during the search is 74.
    int FindReader(bool writes = false);
    // Reports the last search's failure with the exit status it ends the command with.
    void ReportSearchFailure(int status);
    // The same search without reporting its failure.
    int SearchReader();
    // Finds the reader again after its line setting changed: on the port it was found on, at
    // the line setting it listens at now, by the scan's port road, which keeps the new place.
    // Reports nothing.
    int FindReaderAgain();
    // The exit status of a search's result, and of an operation's outcome.
    static int ExitStatus(const ScanResult& result);
    static int ExitStatus(Outcome outcome);

    // The found reader as the scan reports it: lines for people, and a JSON object.
    QStringList ReaderLines() const;
    QJsonObject ReaderObject() const;

    // Whether the device of the found reader's port is no longer there, as a pulled USB adapter
    // leaves it.
    bool PortWentAway() const;
    // Says on standard error that the found reader's port (or the one given) went away; the
    // line it said.
    QString ReportPortGone() const;
    QString ReportPortGone(int comNumber, const QString& device) const;

    // Opens the record that --record names, before any port is touched; the line that says why
    // it cannot be, or an empty text. Without --record there is nothing to open.
    QString OpenRecord();
    // Starts the trace that --trace asks for, before any port is touched; the line that says
    // why it cannot be, or an empty text.
    QString OpenTrace();

    // Appends what the found reader was given, when there is a record: the entry's place and
    // reader are filled in from the search. A failure is said on standard error, the entry
    // after it to be kept by hand; false then.
    bool Record(RecordEntry entry);

    // Ends the run's files: the port closed when it is still open, so that the trace ends with
    // its close, and the trace handed on to its file and closed. Whether the trace and the
    // record took everything the run wrote; each failure was said on standard error.
    bool CloseFiles();

  private:
    int Search(const ScanOptions& options);
    void TraceFailed(int error);

    Request request_;
    Output out_;
    ProgramServices program_;
    ConsoleView view_;
    // The trace outlives the context whose link tells it.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> traceFile_{nullptr, &std::fclose};
    std::unique_ptr<TraceWriter> trace_;
    std::unique_ptr<ReaderContext> context_;
    ScanResult lastScan_;
    ReaderIdentity reader_;
    std::unique_ptr<RecordFile> record_;
    bool traceFailed_ = false;
    bool recordFailed_ = false;
};
