#include <grp.h>
#include <sys/stat.h>

#include <QFile>

#include "DeviceGroup.h"

QString DeviceGroup(const QString& devicePath) {
    struct stat info {};
    if (::stat(QFile::encodeName(devicePath).constData(), &info) != 0) return {};
    if ((info.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP)) return {};
    const group* owner = ::getgrgid(info.st_gid);
    return owner ? QString::fromLocal8Bit(owner->gr_name) : QString();
}
