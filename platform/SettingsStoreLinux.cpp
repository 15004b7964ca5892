#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "KeptSettingsPolicy.h"
#include "SettingsStore.h"

// The file holds one value a line, in the form of a registry export:
//   "ScanCommNo"=dword:00000003
//   "ScanBaudRate"="19200,e,8,1"
// Value names compare without regard to case, as the registry's do. Lines of any other form
// are kept byte for byte, whatever their encoding.
//
// Every member of the serial ports' group may change the machine folder, and everyone else on
// the machine, root included, runs the tool on it; so nothing in it is trusted. Only a regular
// file of bounded size is read, a link is never followed, nothing waits on a FIFO or a device,
// and a save renames a new file of its own over the name.

namespace {

const QString kFileName = QStringLiteral("settings.reg");
const QByteArray kHeader =
    "; Kept settings of the reader configuration tool, one \"name\"=value a line";
const std::array<QLatin1String, 4> kValueNames = {
    QLatin1String("ScanCommNo"), QLatin1String("ScanBaudRate"), QLatin1String("ScanBaudRateNo"),
    QLatin1String("LanguageFlag")};
// The four values need about 120 bytes; a file past this is none of ours.
constexpr qint64 kMaxFileBytes = 64 * 1024;
// A second copy holds the lock only while it rewrites the file, a few milliseconds.
constexpr int kLockWaitMs = 2000;
// Whoever may use the serial ports may keep the settings.
constexpr mode_t kNewFileMode = 0664;

struct StoredValue {
    enum class Type { Integer, Text, Other };
    Type type = Type::Other;
    qint32 integer = 0;
    QString text;
};

struct ValueLine {
    QString name;
    StoredValue value;
};

// Reads the quoted text that starts at `pos` (just after its opening quote); on success `pos`
// is left after the closing quote. A backslash escapes the next character; \n and \r stand for
// line breaks, which would otherwise split the line.
std::optional<QString> ReadQuoted(const QString& line, int& pos) {
    QString text;
    while (pos < line.size()) {
        const QChar c = line.at(pos++);
        if (c == u'"') return text;
        if (c != u'\\') {
            text += c;
            continue;
        }
        if (pos >= line.size()) return std::nullopt;
        const QChar escaped = line.at(pos++);
        text += escaped == u'n' ? QChar(u'\n') : escaped == u'r' ? QChar(u'\r') : escaped;
    }
    return std::nullopt;
}

QString Quoted(const QString& text) {
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'"', QStringLiteral("\\\""))
        .replace(u'\n', QStringLiteral("\\n"))
        .replace(u'\r', QStringLiteral("\\r"));
    return u'"' + escaped + u'"';
}

// An expandable text, stored as in a registry export: UTF-16LE bytes in hexadecimal, ending
// with a zero character. It is taken as stored, without expansion.
std::optional<QString> ReadExpandable(const QString& bytesText) {
    QByteArray bytes;
    for (const QString& part : bytesText.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const uint byte = part.trimmed().toUInt(&ok, 16);
        if (!ok || byte > 0xFF) return std::nullopt;
        bytes.append(char(byte));
    }
    if (bytes.size() % 2 != 0) return std::nullopt;
    QString text;
    for (int i = 0; i + 1 < bytes.size(); i += 2)
        text += QChar(char16_t(uchar(bytes[i]) | (uchar(bytes[i + 1]) << 8)));
    while (text.endsWith(QChar(0))) text.chop(1);
    return text;
}

StoredValue ReadValue(const QString& rest) {
    StoredValue value;
    if (rest.startsWith(u'"')) {
        int pos = 1;
        const std::optional<QString> text = ReadQuoted(rest, pos);
        if (text && rest.mid(pos).trimmed().isEmpty()) {
            value.type = StoredValue::Type::Text;
            value.text = *text;
        }
    } else if (rest.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
        const QString digits = rest.mid(6).trimmed();
        bool ok = false;
        const uint number = digits.toUInt(&ok, 16);
        if (ok && !digits.isEmpty() && digits.size() <= 8 && !digits.startsWith(u'+')) {
            value.type = StoredValue::Type::Integer;
            value.integer = qint32(number);
        }
    } else if (rest.startsWith(QLatin1String("hex(2):"), Qt::CaseInsensitive)) {
        if (const std::optional<QString> text = ReadExpandable(rest.mid(7))) {
            value.type = StoredValue::Type::Text;
            value.text = *text;
        }
    }
    return value;
}

// The line is decoded only to be read; a line that is not replaced keeps its bytes.
std::optional<ValueLine> ParseLine(const QByteArray& line) {
    const QString trimmed = QString::fromUtf8(line).trimmed();
    if (!trimmed.startsWith(u'"')) return std::nullopt;
    int pos = 1;
    const std::optional<QString> name = ReadQuoted(trimmed, pos);
    if (!name) return std::nullopt;
    const QString rest = trimmed.mid(pos).trimmed();
    if (!rest.startsWith(u'=')) return std::nullopt;
    return ValueLine{*name, ReadValue(rest.mid(1).trimmed())};
}

QString FormatLine(const QString& name, const StoredValue& value) {
    const QString formatted =
        value.type == StoredValue::Type::Integer
            ? QStringLiteral("dword:%1").arg(quint32(value.integer), 8, 16, QLatin1Char('0'))
            : Quoted(value.text);
    return Quoted(name) + u'=' + formatted;
}

StoredValue Integer(int number) {
    StoredValue value;
    value.type = StoredValue::Type::Integer;
    value.integer = number;
    return value;
}

StoredValue Text(const QString& text) {
    StoredValue value;
    value.type = StoredValue::Type::Text;
    value.text = text;
    return value;
}

// One line of the file as stored: its bytes, and the line end it had ("\n", "\r\n", or none
// for a last line without one).
struct Line {
    QByteArray text;
    QByteArray end;
};

std::vector<Line> SplitLines(const QByteArray& bytes) {
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', start);
        const qsizetype stop = newline < 0 ? bytes.size() : newline;
        Line line{bytes.mid(start, stop - start), QByteArray()};
        if (newline >= 0) {
            line.end = line.text.endsWith('\r') ? QByteArray("\r\n") : QByteArray("\n");
            if (line.end.size() == 2) line.text.chop(1);
        }
        lines.push_back(std::move(line));
        start = stop + 1;
    }
    return lines;
}

QByteArray Joined(const std::vector<Line>& lines) {
    QByteArray bytes;
    for (const Line& line : lines) bytes += line.text + line.end;
    return bytes;
}

// What was found under the file's name.
struct StoreFile {
    enum class State {
        Missing,
        Read,
        Oversized,
        NotAFile,    // a link, FIFO, device or socket: never opened through, replaced on save
        Unreadable,  // a folder, or a file this user may not read: left as it is
    };
    State state = State::Missing;
    QByteArray bytes;
    mode_t mode = kNewFileMode;
};

StoreFile ReadStoreFile(const QString& path) {
    using State = StoreFile::State;
    StoreFile file;
    const QByteArray name = QFile::encodeName(path);
    // Looked at before it is opened, so that not even the open reaches a device.
    struct stat named {};
    if (::lstat(name.constData(), &named) != 0) {
        file.state = errno == ENOENT || errno == ENOTDIR ? State::Missing : State::Unreadable;
        return file;
    }
    if (!S_ISREG(named.st_mode)) {
        file.state = S_ISDIR(named.st_mode) ? State::Unreadable : State::NotAFile;
        return file;
    }
    // Something else may have taken the name since: the open neither follows a link nor waits
    // for a FIFO's writer, and what it opened is looked at again.
    const int fd =
        ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        file.state = errno == ELOOP    ? State::NotAFile
                     : errno == ENOENT ? State::Missing
                                       : State::Unreadable;
        return file;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0) {
        file.state = State::Unreadable;
    } else if (!S_ISREG(opened.st_mode)) {
        file.state = S_ISDIR(opened.st_mode) ? State::Unreadable : State::NotAFile;
    } else if (opened.st_size > kMaxFileBytes) {
        file.state = State::Oversized;
    } else {
        // One byte past the bound tells a file that grew since the fstat.
        QByteArray bytes(kMaxFileBytes + 1, Qt::Uninitialized);
        qsizetype total = 0;
        ssize_t n = 0;
        while (total < bytes.size() &&
               ((n = ::read(fd, bytes.data() + total, size_t(bytes.size() - total))) > 0 ||
                (n < 0 && errno == EINTR)))
            if (n > 0) total += n;
        bytes.truncate(total);
        file.state = n < 0                   ? State::Unreadable
                     : total > kMaxFileBytes ? State::Oversized
                                             : State::Read;
        if (file.state == State::Read) file.bytes = bytes;
        file.mode = opened.st_mode & 0777;
    }
    ::close(fd);
    return file;
}

// The value lines of the file, in their order.
std::vector<ValueLine> ParseValues(const std::vector<Line>& lines) {
    std::vector<ValueLine> values;
    for (const Line& line : lines)
        if (std::optional<ValueLine> parsed = ParseLine(line.text))
            values.push_back(std::move(*parsed));
    return values;
}

// The last line of that name wins, as in a registry import.
std::optional<StoredValue> FindValue(const std::vector<ValueLine>& values, const QString& name) {
    std::optional<StoredValue> found;
    for (const ValueLine& line : values)
        if (line.name.compare(name, Qt::CaseInsensitive) == 0) found = line.value;
    return found;
}

bool IsValueOfOurs(const Line& line) {
    const std::optional<ValueLine> parsed = ParseLine(line.text);
    if (!parsed) return false;
    for (QLatin1String name : kValueNames)
        if (parsed->name.compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

// Puts each value in place of the first line of its name, drops later lines of that name and
// appends the values that were not there yet. Every other line keeps its bytes.
void ReplaceValues(std::vector<Line>& lines,
                   const std::vector<std::pair<QString, StoredValue>>& values) {
    // New lines end as the file's first line does.
    QByteArray newEnd = "\n";
    if (!lines.empty() && !lines.front().end.isEmpty()) newEnd = lines.front().end;
    for (const auto& [name, value] : values) {
        const QByteArray formatted = FormatLine(name, value).toUtf8();
        bool placed = false;
        for (auto it = lines.begin(); it != lines.end();) {
            const std::optional<ValueLine> parsed = ParseLine(it->text);
            if (!parsed || parsed->name.compare(name, Qt::CaseInsensitive) != 0) {
                ++it;
            } else if (!placed) {
                it->text = formatted;
                ++it;
                placed = true;
            } else {
                it = lines.erase(it);
            }
        }
        if (placed) continue;
        if (!lines.empty() && lines.back().end.isEmpty()) lines.back().end = newEnd;
        lines.push_back({formatted, newEnd});
    }
}

// An flock on a regular file beside the settings, which is removed again as the lock is let
// go. Qt's QLockFile holds the same kind of lock on its file, so the two keep each other out.
class FolderLock {
  public:
    FolderLock() = default;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock() {
        if (fd_ < 0) return;
        ::unlink(name_.constData());
        ::close(fd_);
    }

    bool Take(const QString& path, int waitMs) {
        name_ = QFile::encodeName(path);
        const QDeadlineTimer deadline(waitMs);
        for (;; QThread::msleep(5)) {
            if (TryOnce()) return true;
            if (failed_ || deadline.hasExpired()) return false;
        }
    }

  private:
    // True with the lock held; false with failed_ set when waiting cannot help.
    bool TryOnce() {
        // A link, FIFO or device in the lock's place is no lock of anyone's: it goes.
        struct stat named {};
        if (::lstat(name_.constData(), &named) == 0 && !S_ISREG(named.st_mode)) {
            failed_ = ::unlink(name_.constData()) != 0;
            return false;
        }
        const int fd =
            ::open(name_.constData(),
                   O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, kNewFileMode);
        if (fd < 0) {
            failed_ = errno != ELOOP && errno != ENOENT;  // else it changed since the lstat
            return false;
        }
        struct stat opened {};
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            ::close(fd);
            return false;  // the next try removes it
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            failed_ = errno != EWOULDBLOCK && errno != EINTR;
            ::close(fd);
            return false;
        }
        // The copy before may have removed the file as it let go: a lock on a file that has
        // lost its name keeps nobody out.
        if (::lstat(name_.constData(), &named) != 0 || named.st_dev != opened.st_dev ||
            named.st_ino != opened.st_ino) {
            ::close(fd);
            return false;
        }
        fd_ = fd;
        return true;
    }

    QByteArray name_;
    int fd_ = -1;
    bool failed_ = false;
};

bool WriteAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

// Writes a new file beside the old one and renames it over the name, all at once or not at
// all. Whatever had the name, a link included, is replaced; nothing is written through it.
void ReplaceFile(const QString& path, const QByteArray& bytes, mode_t mode) {
    const QByteArray name = QFile::encodeName(path);
    QByteArray temporary = name + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return;
    bool written = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temporary.constData(), name.constData()) != 0)
        ::unlink(temporary.constData());
}

// Rewrites the file with the values replaced. The lock keeps a second running copy from
// writing between this copy's read and its write.
void WriteValues(const QString& folder,
                 const std::vector<std::pair<QString, StoredValue>>& values) {
    using State = StoreFile::State;
    if (!QDir().mkpath(folder)) return;
    const QString path = QDir(folder).filePath(kFileName);
    FolderLock lock;
    if (!lock.Take(path + QStringLiteral(".lock"), kLockWaitMs)) return;

    const StoreFile file = ReadStoreFile(path);
    // A file that is there but cannot be read would lose its other values: leave it alone.
    if (file.state == State::Unreadable) return;
    // A file past the bound, a link, FIFO or device is no store: a fresh file takes its place.
    std::vector<Line> lines;
    if (file.state == State::Read)
        lines = SplitLines(file.bytes);
    else
        lines.push_back({kHeader, "\n"});
    ReplaceValues(lines, values);

    QByteArray bytes = Joined(lines);
    // A file the next load would refuse keeps the four values and drops the rest.
    if (bytes.size() > kMaxFileBytes) {
        std::vector<Line> ours{{kHeader, "\n"}};
        for (const Line& line : lines)
            if (IsValueOfOurs(line)) ours.push_back({line.text, "\n"});
        bytes = Joined(ours);
    }
    ReplaceFile(path, bytes, file.mode);
}

}  // namespace

SettingsStore::SettingsStore(QString machineFolder) : folder_(std::move(machineFolder)) {}

QString SettingsStore::filePath() const {
    return QDir(folder_).filePath(kFileName);
}

// Reading never asks for write access, so an ordinary user on a machine whose folder only
// root may change still starts with the kept port and language.
void SettingsStore::Load(KeptSettings& settings) const {
    const StoreFile file = ReadStoreFile(filePath());
    if (file.state != StoreFile::State::Read) return;
    const std::vector<ValueLine> values = ParseValues(SplitLines(file.bytes));
    const auto raw = [&values](const QString& name) {
        const std::optional<StoredValue> value = FindValue(values, name);
        if (!value) return RawKeptValue();
        switch (value->type) {
            case StoredValue::Type::Integer:
                return RawKeptValue::Integer(value->integer);
            case StoredValue::Type::Text:
                return RawKeptValue::Text(value->text);
            case StoredValue::Type::Other:
                break;
        }
        return RawKeptValue::Other();
    };
    ApplyKeptValues({raw(QStringLiteral("ScanCommNo")), raw(QStringLiteral("ScanBaudRate")),
                     raw(QStringLiteral("ScanBaudRateNo")), raw(QStringLiteral("LanguageFlag"))},
                    settings);
}

void SettingsStore::SaveScan(int scanCommNo, int scanBaudRateNo, const QString& scanBaudRate) {
    WriteValues(folder_, {{QStringLiteral("ScanCommNo"), Integer(scanCommNo)},
                          {QStringLiteral("ScanBaudRateNo"), Integer(scanBaudRateNo)},
                          {QStringLiteral("ScanBaudRate"), Text(scanBaudRate)}});
}

void SettingsStore::SaveLanguage(const QString& languageFlag) {
    WriteValues(folder_, {{QStringLiteral("LanguageFlag"), Text(languageFlag)}});
}
