#include "ConsoleContext.h"

#include <QFileInfo>

#include "PortNames.h"
#include "ReaderOperations.h"
#include "TextTable.h"

ConsoleContext::ConsoleContext(const Request& request)
    : request_(request),
      out_(request.json),
      program_(request.machineFolder,
               request.beep ? ProgramServices::Sound::Speaker : ProgramServices::Sound::Silent) {
    ContextServices services = program_.services();
    line_ = std::make_unique<OnePortLine>(*services.line, request.machineFolder);
    services.line = line_.get();
    context_ = std::make_unique<ReaderContext>(view_, services);
    context_->LoadSettings();
    // The language of this run only: the kept one stays as it is.
    if (!request.languageFlag.isEmpty()) {
        context_->LanguageFlag = request.languageFlag;
        context_->LanguageIndex = LanguageIndexFromFlag(request.languageFlag);
    }
    view_.SetProgressPrefix(context_->Text(RowScanCom) + QStringLiteral(" : #"));
}

int ConsoleContext::FindReader() {
    const int status = SearchReader();
    if (status != ExitSuccess) ReportSearchFailure(status);
    return status;
}

int ConsoleContext::SearchReader() {
    ReaderContext& s = *context_;
    const int keptPort = s.ScanCommNo;
    if (request_.port != 0) {
        // --port: the scan's first road, the kept port, is taken with the asked port at the
        // kept line setting; the line refuses every other device, so the port scan that
        // follows (all line settings with --all-line-settings) reaches the asked port alone.
        s.ScanCommNo = request_.port;
        line_->HoldToPort(request_.port);
    }
    line_->ForgetRefused();
    view_.Clear();
    const bool found = ScanReader(s, !request_.allLineSettings);
    // The scan keeps the place only when its port scan found the reader; found at once on an
    // asked port that is not the kept one, the place is kept here in the same way.
    if (found && request_.port != 0 && keptPort != request_.port) s.SaveScanSettings();
    if (found) return ExitSuccess;
    return view_.Text(Panel::Msg) == s.Text(RowReaderNotFind) ? ExitNoReader : ExitNotConfirmed;
}

int ConsoleContext::FindReaderAgain() {
    ReaderContext& s = *context_;
    const int port = s.ScanCommNo;
    const int heldBefore = line_->heldPort();
    line_->HoldToPort(port);
    s.ScanCommNo = 0;  // no kept port: the port scan, at the new line setting (locked)
    view_.Clear();
    const bool found = ScanReader(s, true);
    line_->HoldToPort(heldBefore);
    if (found) return ExitSuccess;
    s.ScanCommNo = port;
    return view_.Text(Panel::Msg) == s.Text(RowReaderNotFind) ? ExitNoReader : ExitNotConfirmed;
}

void ConsoleContext::ReportSearchFailure(int status) {
    const QString message = view_.Text(Panel::Msg);
    out_.Lines({message});
    QJsonObject object{{"command", request_.commandName},
                       {"result", status == ExitNoReader ? "no-reader" : "error"},
                       {"message", message}};
    // A port that is there but does not open is most likely held by the window or another
    // program: say so, it is not the same as no reader.
    const int asked = request_.port != 0 ? request_.port : context_->ScanCommNo;
    const QString device = PortNames(request_.machineFolder).DevicePath(asked);
    if (asked > 0 && line_->WasRefused(device)) {
        const QString note = QStringLiteral(
                                 "%1 (%2) exists but does not open: it is in use by "
                                 "another program, or not permitted.")
                                 .arg(PortNames::PortName(asked), device);
        Output::Note(note);
        object.insert("port", PortNames::PortName(asked));
        object.insert("note", note);
    } else if (request_.port != 0 && !QFileInfo::exists(device)) {
        Output::Note(
            QStringLiteral("%1 has no device (%2).").arg(PortNames::PortName(asked), device));
    }
    out_.Object(object);
}

QStringList ConsoleContext::ReaderLines() {
    const ReaderContext& s = *context_;
    return {view_.Text(Panel::Msg), view_.Text(Panel::Serial), view_.Text(Panel::Version),
            s.Text(RowId) + QStringLiteral(": ") + view_.Text(Panel::Id),
            s.Text(RowBaudRate) + QStringLiteral(": ") + s.ScanBaudRate};
}

namespace {
// What follows the " : " of a panel text such as "S/N : 40002718".
QString Field(const QString& panelText) {
    const int colon = panelText.indexOf(QStringLiteral(" : "));
    return colon < 0 ? panelText : panelText.mid(colon + 3);
}
}  // namespace

QJsonObject ConsoleContext::ReaderObject() {
    const ReaderContext& s = *context_;
    return {{"port", PortNames::PortName(s.ScanCommNo)},
            {"line", s.ScanBaudRate},
            {"serial", Field(view_.Text(Panel::Serial))},
            {"reader", view_.Text(Panel::Id)},
            {"version", Field(view_.Text(Panel::Version))}};
}

int ConsoleContext::ExitStatus(Outcome outcome) {
    switch (outcome) {
        case Outcome::Success:
            return ExitSuccess;
        case Outcome::Failure:
            return ExitNotConfirmed;
        case Outcome::NoReader:
            break;
    }
    return ExitNoReader;
}
