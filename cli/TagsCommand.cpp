// vq880 tags: the window's reading run, one line per tag as it is read.
#include <QDeadlineTimer>

#include "Commands.h"
#include "ConsoleContext.h"
#include "FrameCodec.h"
#include "StopSignals.h"
#include "TextTable.h"

int RunTags(ConsoleContext& console, StopSignals& stop) {
    const int found = console.FindReader();
    if (found != ExitSuccess) return found;
    if (stop.requested()) return ExitSuccess;

    ReaderContext& s = console.context();
    ConsoleView& view = console.view();
    const Request& request = console.request();
    const QString idleCaption = s.Text(RowTagId);
    const QDeadlineTimer deadline = request.seconds
                                        ? QDeadlineTimer(qint64(*request.seconds) * 1000)
                                        : QDeadlineTimer(QDeadlineTimer::Forever);
    int tagsRead = 0;

    // The end of the run is the window's cancel click: ReadTags called again while it runs.
    // The run then finishes its pass and closes the port.
    auto endRun = [&s] {
        if (s.TagReading) ReadTags(s);
    };
    view.onText = [&](Panel panel, const QString& text) {
        if (panel != Panel::CardId || text == idleCaption) return;
        const QByteArray tag = s.link().LastReply().ReplyText.mid(TagPosition - 1, TagLength);
        console.out().Lines({text});
        console.out().Object({{"tag", QString::fromLatin1(tag)}, {"decimal", HexToInt(tag)}});
        // The last tag asked for ends the run here, inside its own pass: no exchange follows.
        ++tagsRead;
        if (request.count && tagsRead >= *request.count) endRun();
    };
    view.afterMessages = [&] {
        if (stop.requested() || deadline.hasExpired()) endRun();
    };

    ReadTags(s);
    view.onText = nullptr;
    view.afterMessages = nullptr;

    // A port that did not open: "Open COM : n Error".
    const QString message = view.Text(Panel::Msg);
    if (message.startsWith(s.Text(RowOpenCom))) {
        console.out().Lines({message});
        console.out().Object({{"command", "tags"}, {"result", "error"}, {"message", message}});
        return ExitNotConfirmed;
    }
    console.out().Object({{"command", "tags"}, {"result", "ok"}, {"tags", tagsRead}});
    return ExitSuccess;
}
