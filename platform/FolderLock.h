#pragma once

#include <QByteArray>
#include <QString>

// An flock on a regular file beside the settings, which is removed again as the lock is let
// go. Qt's QLockFile holds the same kind of lock on its file, so the two keep each other out.
class FolderLock {
  public:
    FolderLock() = default;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

    // Waits up to waitMs for the lock on the file of that path; true when it is held.
    bool Take(const QString& path, int waitMs);

  private:
    // True with the lock held; false with failed_ set when waiting cannot help.
    bool TryOnce();

    QByteArray name_;
    int fd_ = -1;
    bool failed_ = false;
};
