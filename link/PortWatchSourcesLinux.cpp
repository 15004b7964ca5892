// On Linux: udev's events of the tty devices, and inotify on the machine folder, its ports/
// folder and the folders where the COM numbers lead (/dev/pts for a simulator's terminal, /dev
// for the fixed map), of which only the names that matter wake the watcher.
#include <libudev.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSocketNotifier>
#include <map>

#include "PortWatchSources.h"

namespace {

constexpr uint32_t FolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR;

class LinuxPortWatchSources final : public PortWatchSources {
  public:
    explicit LinuxPortWatchSources(const QString& machineFolder)
        : machineFolder_(QDir(machineFolder).absolutePath()),
          portsFolder_(QDir(machineFolder_).filePath(QStringLiteral("ports"))) {}

    ~LinuxPortWatchSources() override {
        udevNotifier_.reset();
        inotifyNotifier_.reset();
        if (monitor_) udev_monitor_unref(monitor_);
        if (udev_) udev_unref(udev_);
        if (inotify_ >= 0) ::close(inotify_);
    }

    PortWatcher::Watching Start(std::function<void()> changed) override {
        changed_ = std::move(changed);
        PortWatcher::Watching watching;
        watching.deviceEvents = StartUdev();
        inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (inotify_ >= 0) {
            inotifyNotifier_ = std::make_unique<QSocketNotifier>(inotify_, QSocketNotifier::Read);
            QObject::connect(inotifyNotifier_.get(), &QSocketNotifier::activated,
                             [this] { ReadInotify(); });
            machineWatch_ = Watch(machineFolder_);
            portsWatch_ = Watch(portsFolder_);
            watching.portLinks = machineWatch_ >= 0;
        }
        return watching;
    }

    void Follow(const PortInventory& inventory) override {
        if (inotify_ < 0) return;
        // Where each COM number leads: the link's own target, or the fixed map's device.
        places_.clear();
        QSet<QString> folders;
        for (const PortEntry& entry : inventory.comPorts) {
            const QString place =
                entry.link.isEmpty() ? entry.device : QFileInfo(entry.link).symLinkTarget();
            if (place.isEmpty()) continue;
            places_.insert(QDir::cleanPath(place));
            const QString folder = QFileInfo(place).absolutePath();
            if (folder != portsFolder_ && folder != machineFolder_) folders.insert(folder);
        }
        for (auto it = placeWatches_.begin(); it != placeWatches_.end();) {
            if (folders.contains(it->second)) {
                folders.remove(it->second);
                ++it;
            } else {
                inotify_rm_watch(inotify_, it->first);
                it = placeWatches_.erase(it);
            }
        }
        for (const QString& folder : folders)
            if (const int watch = Watch(folder); watch >= 0) placeWatches_[watch] = folder;
    }

  private:
    bool StartUdev() {
        udev_ = udev_new();
        if (!udev_) return false;
        monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
        if (!monitor_ ||
            udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) < 0 ||
            udev_monitor_enable_receiving(monitor_) < 0)
            return false;
        udevNotifier_ =
            std::make_unique<QSocketNotifier>(udev_monitor_get_fd(monitor_), QSocketNotifier::Read);
        QObject::connect(udevNotifier_.get(), &QSocketNotifier::activated, [this] {
            bool any = false;
            while (udev_device* device = udev_monitor_receive_device(monitor_)) {
                udev_device_unref(device);
                any = true;
            }
            if (any) changed_();
        });
        return true;
    }

    int Watch(const QString& folder) {
        return inotify_add_watch(inotify_, QFile::encodeName(folder).constData(), FolderEvents);
    }

    void ReadInotify() {
        alignas(inotify_event) char buffer[4096];
        bool relevant = false;
        ssize_t n;
        while ((n = ::read(inotify_, buffer, sizeof buffer)) > 0) {
            for (const char* at = buffer; at < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                at += sizeof(inotify_event) + event->len;
                const QString name = event->len ? QFile::decodeName(event->name) : QString();
                relevant = relevant || Relevant(*event, name);
            }
        }
        if (relevant) changed_();
    }

    bool Relevant(const inotify_event& event, const QString& name) {
        if (event.mask & IN_Q_OVERFLOW) return true;
        if (event.wd == machineWatch_) {
            // ports/ made or removed: watched from now on, or no more.
            if (name != QLatin1String("ports")) return false;
            if (event.mask & (IN_CREATE | IN_MOVED_TO)) portsWatch_ = Watch(portsFolder_);
            return true;
        }
        if (event.wd == portsWatch_) {
            if (event.mask & IN_IGNORED) portsWatch_ = -1;
            return true;
        }
        const auto folder = placeWatches_.find(event.wd);
        if (folder == placeWatches_.end()) return false;
        if (event.mask & IN_IGNORED) {
            placeWatches_.erase(folder);
            return true;
        }
        return places_.contains(QDir(folder->second).filePath(name));
    }

    QString machineFolder_;
    QString portsFolder_;
    std::function<void()> changed_;
    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    std::unique_ptr<QSocketNotifier> udevNotifier_;
    int inotify_ = -1;
    std::unique_ptr<QSocketNotifier> inotifyNotifier_;
    int machineWatch_ = -1;
    int portsWatch_ = -1;
    std::map<int, QString> placeWatches_;  // the folders where COM numbers lead
    QSet<QString> places_;
};

}  // namespace

std::unique_ptr<PortWatchSources> MakePortWatchSources(const QString& machineFolder) {
    return std::make_unique<LinuxPortWatchSources>(machineFolder);
}
