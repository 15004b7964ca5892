#include "Output.h"

#include <QJsonDocument>
#include <cstdio>

void Output::Lines(const QStringList& lines) const {
    if (json_) return;
    for (const QString& line : lines) {
        const QByteArray bytes = line.toUtf8();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fputc('\n', stdout);
    }
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
    std::fprintf(stderr, "vq880: %s\n", text.toUtf8().constData());
    std::fflush(stderr);
}
