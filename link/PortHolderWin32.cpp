#include <windows.h>

#include <QFileInfo>

#include "PortHolder.h"

PortHolder HolderOfProcess(qint64 pid) {
    PortHolder holder{pid, {}};
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process) return holder;
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (QueryFullProcessImageNameW(process, 0, path, &size))
        holder.name = QFileInfo(QString::fromWCharArray(path, int(size))).completeBaseName();
    CloseHandle(process);
    return holder;
}
