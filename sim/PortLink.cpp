#include "PortLink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool PortLink::Create(const QString& linkPath, const QString& target, QString* error) {
    const QFileInfo link(linkPath);
    // Only the link's own folder is made, never a tree of folders above it.
    if (!QFileInfo(link.absolutePath()).isDir() && !QDir().mkdir(link.absolutePath())) {
        *error = "Cannot create the folder " + link.absolutePath();
        return false;
    }
    if (link.isSymLink()) {
        if (!QFile::remove(linkPath)) {
            *error = "Cannot replace the old link " + linkPath;
            return false;
        }
    } else if (link.exists()) {
        *error = linkPath + " exists and is not a link; it is left as it is.";
        return false;
    }
    if (!QFile::link(target, linkPath)) {
        *error = "Cannot create the link " + linkPath;
        return false;
    }
    path_ = linkPath;
    target_ = target;
    return true;
}

void PortLink::Remove() {
    if (path_.isEmpty()) return;
    const QFileInfo link(path_);
    if (link.isSymLink() && link.symLinkTarget() == QFileInfo(target_).absoluteFilePath())
        QFile::remove(path_);
    path_.clear();
}
