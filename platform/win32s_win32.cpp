#include "platform/win32s.h"

namespace {

FileTimeCalls fileTimes = {GetFileTime, SetFileTime, FileTimeToLocalFileTime,
                           LocalFileTimeToFileTime};

}  // namespace

bool IsWin32s() {
    DWORD version = GetVersion();
    return (version & 0x80000000u) && LOBYTE(LOWORD(version)) < 4;
}

bool GetDosWriteTime(HANDLE file, WORD* date, WORD* time) {
    FILETIME stored, local;
    if (!fileTimes.get(file, nullptr, nullptr, &stored)) return false;
    if (IsWin32s())
        local = stored;
    else if (!fileTimes.toLocal(&stored, &local))
        return false;
    return FileTimeToDosDateTime(&local, date, time) != 0;
}

bool SetDosWriteTime(HANDLE file, WORD date, WORD time) {
    FILETIME local, stored;
    if (!DosDateTimeToFileTime(date, time, &local)) return false;
    if (IsWin32s())
        stored = local;
    else if (!fileTimes.toUtc(&local, &stored))
        return false;
    return fileTimes.set(file, nullptr, nullptr, &stored) != 0;
}

FileTimeCalls SetFileTimeCalls(FileTimeCalls calls) {
    FileTimeCalls old = fileTimes;
    fileTimes = calls;
    return old;
}
