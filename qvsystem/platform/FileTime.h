#pragma once
// File times: 100-ns ticks since 1601-01-01 UTC, as the library and database store them.

#include "qvsystem/qvsystem_export.h"

#include <cstdint>
#include <ctime>

using FILETIME = std::uint64_t;

// Ticks between 1601-01-01 and the Unix epoch.
inline constexpr std::uint64_t FILETIME_UNIX_EPOCH = 116444736000000000ULL;

QVSYSTEM_EXPORT FILETIME AfxTimespecToFileTime(const timespec& time);
QVSYSTEM_EXPORT timespec AfxFileTimeToTimespec(FILETIME time);
// -1, 0 or 1.
QVSYSTEM_EXPORT int CompareFileTime(FILETIME a, FILETIME b);
// The last write time of a path (stat); false when it cannot be read.
QVSYSTEM_EXPORT bool AfxGetFileLastWriteTime(const class QString& path, FILETIME& time);
