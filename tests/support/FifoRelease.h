#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// While it lives, and once 5 s have gone by, opens every FIFO in a folder from both ends every
// 50 ms: a call blocked in opening or reading one of them then returns, so that its test fails
// instead of hanging.
class FifoRelease {
  public:
    explicit FifoRelease(QString folder) : folder_(std::move(folder)), thread_([this] { Run(); }) {}
    ~FifoRelease() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    FifoRelease(const FifoRelease&) = delete;
    FifoRelease& operator=(const FifoRelease&) = delete;

  private:
    void Run() {
        std::unique_lock<std::mutex> lock(mutex_);
        if (wake_.wait_for(lock, std::chrono::seconds(5), [this] { return done_; })) return;
        do {
            const QDir dir(folder_);
            for (const QString& name : dir.entryList(QDir::AllEntries | QDir::System |
                                                     QDir::Hidden | QDir::NoDotAndDotDot)) {
                const QByteArray path = QFile::encodeName(dir.filePath(name));
                struct stat st {};
                if (::lstat(path.constData(), &st) != 0 || !S_ISFIFO(st.st_mode)) continue;
                const int fd = ::open(path.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) ::close(fd);
            }
        } while (!wake_.wait_for(lock, std::chrono::milliseconds(50), [this] { return done_; }));
    }

    QString folder_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;  // last: it starts once the members it uses are made
};

// Whether the call returned within 5 s, with any FIFO in the folder released after those 5 s.
inline bool ReturnsPromptly(const QString& folder, const std::function<void()>& call) {
    QElapsedTimer timer;
    timer.start();
    {
        const FifoRelease release(folder);
        call();
    }
    return timer.elapsed() < 5000;
}
