#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace core {

// The memory counters of the program's own process, in bytes, named as the status bar and the
// free-space texts know them. Linux keeps no paged and non-paged pool quotas: those stay 0.
struct ProcessMemoryCounters
{
    quint32 cb = 40;
    quint64 PageFaultCount = 0;
    quint64 PeakWorkingSetSize = 0;
    quint64 WorkingSetSize = 0;
    quint64 QuotaPeakPagedPoolUsage = 0;
    quint64 QuotaPagedPoolUsage = 0;
    quint64 QuotaPeakNonPagedPoolUsage = 0;
    quint64 QuotaNonPagedPoolUsage = 0;
    quint64 PagefileUsage = 0;
    quint64 PeakPagefileUsage = 0;
};

// Memory counters of the process, byte counts as texts with units, and the system's text for an
// error code.
namespace mSystem {

// Read from the process's own accounting (/proc/self/status and /proc/self/stat).
ProcessMemoryCounters Get_ProcessMemoryInfo();
// The counters from the texts of /proc/<pid>/status and /proc/<pid>/stat.
ProcessMemoryCounters parseProcessMemory(const QByteArray& status, const QByteArray& stat);

double ConvertFromUnsignedLong64(quint32 low, quint32 high);
// The count with a unit (" ТБ", " ГБ", " МБ", " КБ", " байт"); without the short form the exact
// count follows in brackets.
QString MemCStr(double count, bool shortForm);
// At most two decimals (halves away from zero), "." as decimal mark, no final ".".
QString CStr1_00(double number);
// The system's text for an error number (errno), or "Unknown API error N (0xN)".
QString GetApiErrorMessage(int code);

} // namespace mSystem

} // namespace core
