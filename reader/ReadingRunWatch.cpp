#include "ReadingRunWatch.h"

std::vector<ReadingRunWatch::Event> ReadingRunWatch::Pass(const ReadingPass& pass, quint64 nowUs) {
    std::vector<Event> events;
    if (pass.portBack) {
        events.push_back(Event::PortBack);
        portAway_ = false;
        // The reader's time to answer starts again with the port.
        lastAnswerUs_ = nowUs;
    }
    switch (pass.outcome) {
        case PassOutcome::PortGone:
            if (!portAway_) events.push_back(Event::PortGone);
            portAway_ = true;
            silent_ = false;
            break;
        case PassOutcome::TagRead:
        case PassOutcome::NoTag:
            lastAnswerUs_ = nowUs;
            if (silent_) events.push_back(Event::ReaderBack);
            silent_ = false;
            break;
        case PassOutcome::NoAnswer:
            if (!silent_ && nowUs - lastAnswerUs_ >= SilentAfterUs) {
                events.push_back(Event::ReaderSilent);
                silent_ = true;
            }
            break;
    }
    return events;
}
