#pragma once

// What the manual page vq880(1) promises to scripts, read from its source: the JSON objects
// with their keys, the exit status of each value of "result", and the exit statuses. A test
// that checks against this cannot drift apart from the page.
//
// In the section JSON OUTPUT every ".SS" is an object, named by its heading; "Printed by: a, b."
// names the commands that print it (an object without that line sits inside another, under
// the key of its name). Each key is a ".TP" item ".BR key \" (type)\"", or
// ".BR key \" (type, when ...)\"" for a key that is there only in the case named.

#include <QFile>
#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <QStringList>

struct ManualKey {
    QString name;
    QString type;  // string, number, object, array
    bool always = true;
};

// A command's synopsis in the section COMMANDS: what must be given, outside brackets.
struct ManualSynopsis {
    bool argument = false;  // a value after the command's name
    QStringList options;    // the options it needs, without "--"
};

struct ManualObject {
    QString name;
    QStringList commands;
    QList<ManualKey> keys;

    const ManualKey* Key(const QString& key) const {
        for (const ManualKey& k : keys)
            if (k.name == key) return &k;
        return nullptr;
    }
};

class ManualPage {
  public:
    explicit ManualPage(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return;
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        static const QRegularExpression key(QStringLiteral(R"re(^\.BR (\S+) " \((\w+)(.*)\)"$)re"));
        static const QRegularExpression status(QStringLiteral("exit status (\\d+)"));
        QString section;
        QString resultValue;  // a value of "result" whose exit status is still to come
        for (int i = 0; i < lines.size(); ++i) {
            const QString& line = lines[i];
            const QString next = i + 1 < lines.size() ? lines[i + 1] : QString();
            if (line.startsWith(QLatin1String(".SH "))) {
                section = Plain(line.mid(4));
            } else if (section == QLatin1String("COMMANDS") && line == QLatin1String(".TP") &&
                       (next.startsWith(QLatin1String(".B ")) ||
                        next.startsWith(QLatin1String(".BI ")))) {
                AddSynopsis(next.mid(next.indexOf(QLatin1Char(' ')) + 1));
            } else if (section == QLatin1String("JSON OUTPUT")) {
                if (line.startsWith(QLatin1String(".SS "))) {
                    objects.append({Plain(line.mid(4)), {}, {}});
                } else if (line.startsWith(QLatin1String("Printed by: ")) && !objects.isEmpty()) {
                    QString names = Plain(line.mid(12));
                    names.chop(1);  // the full stop
                    objects.last().commands = names.split(QStringLiteral(", "));
                } else if (line == QLatin1String(".TP") && key.match(next).hasMatch()) {
                    const auto match = key.match(next);
                    if (!objects.isEmpty())
                        objects.last().keys.append({Plain(match.captured(1)), match.captured(2),
                                                    match.captured(3).isEmpty()});
                } else if (line == QLatin1String(".TP") && next.startsWith(QLatin1String(".B "))) {
                    resultValue = Plain(next.mid(3));
                } else if (!resultValue.isEmpty() && status.match(line).hasMatch()) {
                    resultStatus.insert(resultValue, status.match(line).captured(1).toInt());
                    resultValue.clear();
                }
            } else if (section == QLatin1String("EXIT STATUS") && line == QLatin1String(".TP")) {
                if (next.startsWith(QLatin1String(".B "))) exitStatuses << next.mid(3).toInt();
            }
        }
    }

    const ManualObject* Object(const QString& name) const {
        for (const ManualObject& object : objects)
            if (object.name == name) return &object;
        return nullptr;
    }

    QList<ManualObject> objects;
    // Each command's synopses; one with two synopses needs what one of them needs.
    QHash<QString, QList<ManualSynopsis>> synopses;
    QHash<QString, int> resultStatus;  // "ok" -> 0
    QList<int> exitStatuses;

  private:
    void AddSynopsis(const QString& text) {
        static const QRegularExpression optional(QStringLiteral(R"(\[[^\]]*\])"));
        QStringList words =
            Plain(text).remove(optional).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty()) return;
        const QString command = words.takeFirst();
        ManualSynopsis synopsis;
        for (int i = 0; i < words.size(); ++i) {
            if (words[i].startsWith(QLatin1String("--"))) {
                synopsis.options << words[i].mid(2);
                ++i;  // its value
            } else {
                synopsis.argument = true;
            }
        }
        synopses[command].append(synopsis);
    }

    // The text without quotes, font changes and escaped hyphens.
    static QString Plain(QString text) {
        static const QRegularExpression font(QStringLiteral(R"(\\f[BIRP])"));
        text.remove(font).replace(QLatin1String("\\-"), QLatin1String("-"));
        text.remove(QLatin1String("\\%"));
        return text.remove(QLatin1Char('"')).trimmed();
    }
};
