#include "Output.h"

#include <QJsonDocument>
#include <cstdio>

#include "TerminalText.h"

namespace {

// The one way a line for people is written.
void WriteLine(std::FILE* stream, const QString& line) {
    const QByteArray bytes = TerminalText(line).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fputc('\n', stream);
}

}  // namespace

void Output::Lines(const QStringList& lines) const {
    if (json_) return;
    for (const QString& line : lines) WriteLine(stdout, line);
    std::fflush(stdout);
}

void Output::Object(const QJsonObject& object) const {
    if (!json_) return;
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Compact);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void Output::Note(const QString& text) {
    WriteLine(stderr, QStringLiteral("vq880: ") + text);
    std::fflush(stderr);
}

void Output::NoteLine(const QString& text) {
    WriteLine(stderr, text);
    std::fflush(stderr);
}
