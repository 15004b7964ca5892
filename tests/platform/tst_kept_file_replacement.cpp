// The kept file as a second running copy sees it while this one saves: there at every moment,
// whole, and replaced in one step, never rewritten in place.
#include <sys/inotify.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <thread>

#include "SettingsStore.h"

namespace {

struct FolderEvent {
    uint32_t mask;
    QString name;
};

// Every event in the folder since the watch began, without waiting for more.
QList<FolderEvent> ReadEvents(int fd) {
    QList<FolderEvent> events;
    alignas(inotify_event) char buffer[64 * 1024];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
        for (char* p = buffer; p < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(p);
            events.append({event->mask, event->len ? QString::fromLocal8Bit(event->name) : ""});
            p += sizeof(inotify_event) + event->len;
        }
    }
    return events;
}

}  // namespace

class KeptFileReplacementTest : public QObject {
    Q_OBJECT
  private slots:
    void savesReplaceTheFileInOneStep();
    void twoCopiesSavingAtOnceKeepEachOthersValues();
};

void KeptFileReplacementTest::savesReplaceTheFileInOneStep() {
    QTemporaryDir folder;
    SettingsStore store(folder.path());
    store.SaveLanguage("English");
    const QString name = QFileInfo(store.filePath()).fileName();

    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QVERIFY(fd >= 0);
    QVERIFY(inotify_add_watch(fd, QFile::encodeName(folder.path()).constData(), IN_ALL_EVENTS) >=
            0);
    for (int i = 0; i < 20; ++i) {
        store.SaveScan(i % 16 + 1, i % 12, "57600,n,8,1");
        store.SaveLanguage(i % 2 ? "ChineseGB" : "ChineseBIG5");
    }
    const QList<FolderEvent> events = ReadEvents(fd);
    ::close(fd);

    int replaced = 0;
    for (const FolderEvent& event : events) {
        if (event.name != name) continue;
        // Anything but a rename onto the name, or a look at it, is a moment without a whole
        // file: removed, moved away, truncated, written or opened for writing in place.
        const uint32_t allowed = IN_MOVED_TO | IN_OPEN | IN_ACCESS | IN_CLOSE_NOWRITE;
        QVERIFY2((event.mask & ~allowed) == 0,
                 qPrintable(QStringLiteral("event %1 on the kept file").arg(event.mask, 0, 16)));
        if (event.mask & IN_MOVED_TO) ++replaced;
    }
    QCOMPARE(replaced, 40);
    QFile file(store.filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.contains("\"LanguageFlag\"=\"ChineseGB\""));
    QVERIFY(text.contains("\"ScanCommNo\"=dword:00000004"));
}

void KeptFileReplacementTest::twoCopiesSavingAtOnceKeepEachOthersValues() {
    QTemporaryDir folder;
    // The window keeps its language while vq880 keeps where it found a reader: each reads the
    // file, replaces its own values and writes it back, and must not put back the other's
    // values of before.
    std::thread window([&folder] {
        SettingsStore store(folder.path());
        for (int i = 0; i < 60; ++i) store.SaveLanguage(QStringLiteral("language %1").arg(i));
    });
    std::thread commandLine([&folder] {
        SettingsStore store(folder.path());
        for (int i = 0; i < 60; ++i) store.SaveScan(i, i % 12, "19200,e,8,1");
    });
    window.join();
    commandLine.join();

    KeptSettings kept;
    SettingsStore(folder.path()).Load(kept);
    QCOMPARE(kept.LanguageFlag, QStringLiteral("language 59"));
    QCOMPARE(kept.ScanCommNo, 59);
    QCOMPARE(kept.ScanBaudRateNo, 59 % 12);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"settings.reg"});
}

QTEST_APPLESS_MAIN(KeptFileReplacementTest)
#include "tst_kept_file_replacement.moc"
