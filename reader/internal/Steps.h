#pragma once

#include "ReaderContext.h"
#include "ReaderView.h"

// The steps the operations tell their view, each in one call.

inline void ReportStep(ReaderContext& context, OperationStep::Kind kind, bool on = false) {
    OperationStep step;
    step.kind = kind;
    step.on = on;
    context.view().Report(step);
}

inline void ReportMessage(ReaderContext& context, const Message& message,
                          OperationStep::Kind kind = OperationStep::Kind::Message) {
    OperationStep step;
    step.kind = kind;
    step.message = message;
    context.view().Report(step);
}

inline void ReportLineSetting(ReaderContext& context, int lineIndex) {
    OperationStep step;
    step.kind = OperationStep::Kind::LineSetting;
    step.lineIndex = lineIndex;
    context.view().Report(step);
}

inline void ReportReader(ReaderContext& context, OperationStep::Kind kind,
                         const ReaderIdentity& reader) {
    OperationStep step;
    step.kind = kind;
    step.reader = reader;
    context.view().Report(step);
}

// How a port is named in a message after "COM : ": "#5", or the path of a device that no COM
// number reaches.
inline QString PortReference(const ReaderContext& context, int comNumber) {
    return comNumber == PortNames::RunOnlyPort ? context.portNames().Label(comNumber)
                                               : QStringLiteral("#%1").arg(comNumber);
}
