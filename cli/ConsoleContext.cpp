#include "ConsoleContext.h"

#include <QDateTime>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "ConsoleTexts.h"
#include "NoReaderReport.h"
#include "PortNames.h"
#include "ReaderCaptions.h"
#include "ReaderOperations.h"
#include "RegularFile.h"
#include "TextTable.h"

namespace Texts {
ConsoleText NotATrace = {
    "--trace \"%1\" is not a trace of vq880: a trace replaces only an earlier trace or an empty "
    "file.",
    "--trace “%1”不是 vq880 的跟踪记录：跟踪记录只会替换以前的跟踪记录或空文件。",
    "--trace「%1」不是 vq880 的追蹤記錄：追蹤記錄只會取代以前的追蹤記錄或空檔案。"};
ConsoleText TraceNotCreated = {"--trace \"%1\" cannot be created: %2.",
                               "无法创建 --trace “%1”：%2。", "無法建立 --trace「%1」：%2。"};
ConsoleText TraceNotWritten = {"--trace \"%1\" cannot be written: %2; the run goes on without it.",
                               "无法写入 --trace “%1”：%2；运行将在没有跟踪记录的情况下继续。",
                               "無法寫入 --trace「%1」：%2；執行將在沒有追蹤記錄的情況下繼續。"};
ConsoleText StandardError = {"standard error", "标准错误输出", "標準錯誤輸出"};
ConsoleText RecordNotWritten = {
    "--record \"%1\" cannot be written: %2; its entry follows, to be added by hand:",
    "无法写入 --record “%1”：%2；下面是它缺少的记录，请手动添加：",
    "無法寫入 --record「%1」：%2；下面是它缺少的記錄，請手動加入："};
}  // namespace Texts

QString ResultName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Success:
            return QStringLiteral("ok");
        case Outcome::Failure:
            return QStringLiteral("error");
        case Outcome::PortGone:
            return QStringLiteral("port-gone");
        case Outcome::NoReader:
            break;
    }
    return QStringLiteral("no-reader");
}

ConsoleContext::ConsoleContext(const Request& request)
    : request_(request),
      out_(request.json),
      program_(request.machineFolder,
               request.beep ? ProgramServices::Sound::Speaker : ProgramServices::Sound::Silent,
               request.runOnlyDevice) {
    context_ = std::make_unique<ReaderContext>(view_, program_.services());
    context_->LoadSettings();
    // The language of this run only: the kept one stays as it is.
    if (request.language >= 0) {
        context_->LanguageFlag = QLatin1String(LanguageFlags[request.language]);
        context_->LanguageIndex = request.language;
    }
}

QString ConsoleContext::Text(const Message& message) const {
    return message.Text(context_->LanguageIndex);
}

int ConsoleContext::ExitStatus(const ScanResult& result) {
    if (result.found()) return ExitSuccess;
    // A reader that answered but did not tell its version: "Get Reader Info Error".
    return result.answered ? ExitNotConfirmed : ExitNoReader;
}

int ConsoleContext::Search(const ScanOptions& options) {
    lastScan_ = ScanReader(*context_, options);
    return ExitStatus(lastScan_);
}

int ConsoleContext::FindReader(bool writes) {
    int status = SearchReader();
    if (status != ExitSuccess && writes && lastScan_.goneComNumber != 0) status = ExitPortGone;
    if (status != ExitSuccess) ReportSearchFailure(status);
    return status;
}

int ConsoleContext::SearchReader() {
    // --port: the asked port stands in for the kept one, and the port scan that follows (all
    // line settings with --all-line-settings) reaches it alone.
    ScanOptions options;
    options.locked = !request_.allLineSettings;
    options.onlyPort = request_.port;
    const int status = Search(options);
    if (lastScan_.found()) reader_ = lastScan_.reader;
    return status;
}

int ConsoleContext::FindReaderAgain() {
    ScanOptions options;
    options.onlyPort = context_->ScanCommNo;
    options.tryKeptPlace = false;
    return Search(options);
}

void ConsoleContext::ReportSearchFailure(int status) {
    const QString message = Text(lastScan_.message);
    const Outcome outcome = status == ExitNoReader   ? Outcome::NoReader
                            : status == ExitPortGone ? Outcome::PortGone
                                                     : Outcome::Failure;
    QJsonObject object{
        {"command", request_.commandName}, {"result", ResultName(outcome)}, {"message", message}};
    if (!lastScan_.answered) {
        // What happened at each port, and the likeliest cause.
        const Diagnosis diagnosis = Diagnose(lastScan_);
        const PortNames& names = context_->portNames();
        out_.Lines(QStringList{message} + NoReaderLines(diagnosis, names, context_->LanguageIndex));
        AddNoReaderFields(object, diagnosis, names, context_->LanguageIndex);
    } else {
        out_.Lines({message});
    }
    // The port asked for, or the kept one, that did not open: say why, it is not the same as no
    // reader.
    const int asked = request_.port != 0 ? request_.port : context_->ScanCommNo;
    const PortTry* refused = nullptr;
    const PortTry* missing = nullptr;
    for (const PortTry& port : lastScan_.ports) {
        if (port.comNumber != asked || port.open.opened()) continue;
        if (port.open.state == PortState::NoDevice || port.open.state == PortState::MissingTarget)
            missing = &port;
        else
            refused = &port;
    }
    const PortNames& names = context_->portNames();
    if (refused) {
        const QString note = PortNote(*refused, names, context_->LanguageIndex);
        Output::Note(note);
        object.insert("port", names.Label(asked));
        object.insert("note", note);
    } else if (request_.port != 0 && missing && outcome != Outcome::PortGone) {
        Output::Note(PortNote(*missing, names, context_->LanguageIndex));
    }
    if (outcome == Outcome::PortGone) {
        // The device as the search opened it: a link in ports/ may be gone with it.
        QString device;
        for (const PortTry& port : lastScan_.ports)
            if (port.comNumber == lastScan_.goneComNumber && !port.open.device.isEmpty())
                device = port.open.device;
        object.insert("note", ReportPortGone(lastScan_.goneComNumber, device));
    }
    out_.Object(object);
}

QStringList ConsoleContext::ReaderLines() const {
    const ReaderContext& s = *context_;
    return {Text(lastScan_.message), SerialCaption(reader_.serialNumber, s.LanguageIndex),
            VersionCaption(reader_.version, s.LanguageIndex),
            s.Text(RowId) + QStringLiteral(": ") + QString::fromLatin1(reader_.readerNumber),
            s.Text(RowBaudRate) + QStringLiteral(": ") + s.ScanBaudRate};
}

QJsonObject ConsoleContext::ReaderObject() const {
    const ReaderContext& s = *context_;
    return {{"port", s.portNames().Label(s.ScanCommNo)},
            {"line", s.ScanBaudRate},
            {"serial", QString::fromLatin1(reader_.serialNumber)},
            {"reader", QString::fromLatin1(reader_.readerNumber)},
            {"version", QString::fromLatin1(reader_.version)}};
}

int ConsoleContext::ExitStatus(Outcome outcome) {
    switch (outcome) {
        case Outcome::Success:
            return ExitSuccess;
        case Outcome::Failure:
            return ExitNotConfirmed;
        case Outcome::PortGone:
            return ExitPortGone;
        case Outcome::NoReader:
            break;
    }
    return ExitNoReader;
}

bool ConsoleContext::PortWentAway() const {
    const QString device = context_->portNames().DevicePath(context_->ScanCommNo);
    return !QFileInfo::exists(device);
}

QString ConsoleContext::ReportPortGone() const {
    // The device as the reader was found on it: a link in ports/ may be gone with it.
    const int port = context_->ScanCommNo;
    return ReportPortGone(port, reader_.place.comNumber == port ? reader_.device : QString());
}

QString ConsoleContext::ReportPortGone(int port, const QString& device) const {
    const QString note =
        Tr(Texts::PortWentAway)
            .arg(context_->portNames().Label(port),
                 device.isEmpty() ? context_->portNames().DevicePath(port) : device);
    Output::Note(note);
    return note;
}

QString ConsoleContext::OpenTrace() {
    const QString& path = request_.tracePath;
    if (path.isEmpty()) return {};
    std::FILE* stream = stderr;
    if (path != QLatin1String("-")) {
        const OpenedFile file =
            OpenRegularFile(path, Writing::Replace, QByteArray(TraceWriter::HeaderStart));
        if (file.refused) return NotRegularFile(QStringLiteral("--trace"), path);
        if (file.notReplaced) return Tr(Texts::NotATrace).arg(path);
#ifdef _WIN32
        if (file.fd >= 0) traceFile_.reset(::_fdopen(file.fd, "w"));
#else
        if (file.fd >= 0) traceFile_.reset(::fdopen(file.fd, "w"));
#endif
        if (!traceFile_)
            return Tr(Texts::TraceNotCreated)
                .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        stream = traceFile_.get();
    }
    trace_ = std::make_unique<TraceWriter>(stream, context_->clock().NowUs(),
                                           [this](int error) { TraceFailed(error); });
    context_->link().SetTracer(trace_.get());
    return {};
}

void ConsoleContext::TraceFailed(int error) {
    if (traceFailed_) return;
    traceFailed_ = true;
    const QString& path = request_.tracePath;
    Output::Note(Tr(Texts::TraceNotWritten)
                     .arg(path == QLatin1String("-") ? Tr(Texts::StandardError) : path,
                          QString::fromLocal8Bit(std::strerror(error))));
}

QString ConsoleContext::OpenRecord() {
    if (request_.recordPath.isEmpty()) return {};
    auto record = std::make_unique<RecordFile>();
    const QString problem = record->Open(request_.recordPath);
    if (problem.isEmpty()) record_ = std::move(record);
    return problem;
}

bool ConsoleContext::Record(RecordEntry entry) {
    if (!record_) return true;
    entry.time = QDateTime::currentDateTime();
    entry.command = request_.commandName;
    entry.port = context_->portNames().Label(reader_.place.comNumber);
    entry.serial = QString::fromLatin1(reader_.serialNumber);
    entry.version = QString::fromLatin1(reader_.version);
    entry.readerBefore = QString::fromLatin1(reader_.readerNumber);
    if (entry.readerAfter.isEmpty()) entry.readerAfter = entry.readerBefore;
    const QString reason = record_->Append(entry);
    if (reason.isEmpty()) return true;
    recordFailed_ = true;
    Output::Note(Tr(Texts::RecordNotWritten).arg(request_.recordPath, reason));
    Output::NoteLine(QString::fromUtf8(record_->Line(entry)).chopped(1));
    return false;
}

bool ConsoleContext::CloseFiles() {
    if (context_->link().IsOpen()) context_->link().ClosePort();
    if (trace_) {
        trace_->Flush();
        context_->link().SetTracer(nullptr);
        trace_.reset();
    }
    if (traceFile_ && std::fclose(traceFile_.release()) != 0) TraceFailed(errno);
    return !traceFailed_ && !recordFailed_;
}
