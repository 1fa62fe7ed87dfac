#pragma once
// The settings store that stands in for the Windows registry: a typed hierarchical store
// in one SQLite database ($XDG_CONFIG_HOME/Corda Software/registry.db). Key and value names
// compare without regard to ASCII case and are stored as written; value types and bytes
// are kept exactly. Every write is its own transaction. A missing or unreadable store
// reads as empty and never crashes; writes to it then fail.

#include "qvsystem/qvsystem_export.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

using HKEY = std::uintptr_t;
using LSTATUS = long;

inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;
inline constexpr HKEY HKEY_PERFORMANCE_DATA = 0x80000004u;
inline constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;
inline constexpr HKEY HKEY_PERFORMANCE_TEXT = 0x80000050u;
inline constexpr HKEY HKEY_PERFORMANCE_NLSTEXT = 0x80000060u;

inline constexpr uint32_t REG_NONE = 0;
inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;
inline constexpr uint32_t REG_QWORD = 11;

inline constexpr LSTATUS ERROR_SUCCESS = 0;
inline constexpr LSTATUS ERROR_FILE_NOT_FOUND = 2;
inline constexpr LSTATUS ERROR_ACCESS_DENIED = 5;
inline constexpr LSTATUS ERROR_INVALID_HANDLE = 6;
inline constexpr LSTATUS ERROR_INVALID_PARAMETER = 87;
inline constexpr LSTATUS ERROR_MORE_DATA = 234;
inline constexpr LSTATUS ERROR_NO_MORE_ITEMS = 259;
inline constexpr LSTATUS ERROR_CANTREAD = 1012;
inline constexpr LSTATUS ERROR_CANTWRITE = 1013;

// True for the eight predefined roots.
QVSYSTEM_EXPORT bool AfxIsPredefinedRegistryRoot(HKEY key);

// The store file; tests and tools may point it elsewhere (an empty path restores the
// default). Handles opened before the change stay on the old store.
QVSYSTEM_EXPORT void AfxSetSettingsStorePath(const QString& path);
QVSYSTEM_EXPORT QString AfxGetSettingsStorePath();
// How long a call waits for a lock that another process holds before it fails (default
// 5000 ms); stores opened afterwards use it. A locked store is never given up: the next
// call tries again.
QVSYSTEM_EXPORT void AfxSetSettingsStoreBusyTimeout(int milliseconds);

// Opened keys are handles that must be closed with RegCloseKey. The sub key may be empty
// (the root itself) and uses backslashes between components.
QVSYSTEM_EXPORT LSTATUS RegCreateKeyEx(HKEY parent, const QString& subKey, HKEY* result,
                                       bool* created = nullptr);
QVSYSTEM_EXPORT LSTATUS RegOpenKeyEx(HKEY parent, const QString& subKey, HKEY* result);
QVSYSTEM_EXPORT LSTATUS RegCloseKey(HKEY key);

// Reads a value: its type, and its bytes when data is given (REG_SZ includes the UTF-16
// terminator, as written).
QVSYSTEM_EXPORT LSTATUS RegQueryValueEx(HKEY key, const QString& name, uint32_t* type, QByteArray* data);
QVSYSTEM_EXPORT LSTATUS RegSetValueEx(HKEY key, const QString& name, uint32_t type, const void* data,
                                      uint32_t size);
QVSYSTEM_EXPORT LSTATUS RegDeleteValue(HKEY key, const QString& name);
// Deletes the sub key and everything below it.
QVSYSTEM_EXPORT LSTATUS RegDeleteTree(HKEY key, const QString& subKey);
// The index-th direct sub key or value name, ERROR_NO_MORE_ITEMS past the last; the
// order is the order of creation.
QVSYSTEM_EXPORT LSTATUS RegEnumKey(HKEY key, uint32_t index, QString& name);
QVSYSTEM_EXPORT LSTATUS RegEnumValue(HKEY key, uint32_t index, QString& name, uint32_t* type = nullptr);

// Convenience for REG_SZ: the UTF-16 bytes with the terminator, and back (stops at the
// first null character).
QVSYSTEM_EXPORT QByteArray AfxRegistryStringBytes(const QString& text);
QVSYSTEM_EXPORT QString AfxRegistryStringFromBytes(const QByteArray& bytes);
