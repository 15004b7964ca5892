#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

#include "RecordReader.h"

// provision --like LABEL: the reader plugged in is given what the record says the reader at
// LABEL holds, as a replacement for it.
struct LikeSettings {
    QString serial;  // of the reader copied
    // Key and value text, in the order provisioning sends them: the reader number first, the
    // line speed last, as the reader listens at it from then on.
    std::vector<std::pair<QString, QString>> settings;
    // The settings the record holds no value of: the new reader keeps what it has.
    QStringList notRecorded;
};

// What to write; a label the record does not know, or knows under two readers in service, is
// a usage mistake (thrown) before any port is touched.
LikeSettings ResolveLike(const std::vector<RecordedEntry>& entries, const QString& label);
// Empty, or the line that refuses the reader found because the record holds it under another
// label; --force passes over it.
QString LikeReaderProblem(const std::vector<RecordedEntry>& entries, const QString& label,
                          const QString& serial);
