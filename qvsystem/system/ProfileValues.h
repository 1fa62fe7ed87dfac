#pragma once
// Typed values in the settings store. Every function takes its location in one of four
// forms: an open key handle; a registry path; an open key handle and a sub key below it;
// a registry path and a sub key below it. Then comes the value name, then the value to
// write or the default to read.
//
// Reads never create keys or the store and fall back to the default whenever the value is
// missing or not exactly of the expected type and size. A null name or sub key, or a
// registry path that is not valid, returns the default (reads) or fails (writes) without
// touching the store. Writes create the keys they need; they return true when the store
// took the value. Nothing here shows a message.

#include "qvsystem/platform/OleDateTime.h"
#include "qvsystem/platform/SettingsStore.h"
#include "qvsystem/qvsystem_export.h"
#include "qvsystem/system/RegistryPath.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

// REG_DWORD, exactly 4 bytes (little-endian).
QVSYSTEM_EXPORT uint32_t AfxGetProfileDWord(HKEY key, const QString& name, uint32_t defaultValue);
QVSYSTEM_EXPORT uint32_t AfxGetProfileDWord(const CRegistryPath& path, const QString& name,
                                            uint32_t defaultValue);
QVSYSTEM_EXPORT uint32_t AfxGetProfileDWord(HKEY key, const QString& subKey, const QString& name,
                                            uint32_t defaultValue);
QVSYSTEM_EXPORT uint32_t AfxGetProfileDWord(const CRegistryPath& path, const QString& subKey,
                                            const QString& name, uint32_t defaultValue);
QVSYSTEM_EXPORT bool AfxWriteProfileDWord(HKEY key, const QString& name, uint32_t value);
QVSYSTEM_EXPORT bool AfxWriteProfileDWord(const CRegistryPath& path, const QString& name, uint32_t value);
QVSYSTEM_EXPORT bool AfxWriteProfileDWord(HKEY key, const QString& subKey, const QString& name,
                                          uint32_t value);
QVSYSTEM_EXPORT bool AfxWriteProfileDWord(const CRegistryPath& path, const QString& subKey,
                                          const QString& name, uint32_t value);

// REG_QWORD, exactly 8 bytes (little-endian).
QVSYSTEM_EXPORT uint64_t AfxGetProfileQWord(HKEY key, const QString& name, uint64_t defaultValue);
QVSYSTEM_EXPORT uint64_t AfxGetProfileQWord(const CRegistryPath& path, const QString& name,
                                            uint64_t defaultValue);
QVSYSTEM_EXPORT uint64_t AfxGetProfileQWord(HKEY key, const QString& subKey, const QString& name,
                                            uint64_t defaultValue);
QVSYSTEM_EXPORT uint64_t AfxGetProfileQWord(const CRegistryPath& path, const QString& subKey,
                                            const QString& name, uint64_t defaultValue);
QVSYSTEM_EXPORT bool AfxWriteProfileQWord(HKEY key, const QString& name, uint64_t value);
QVSYSTEM_EXPORT bool AfxWriteProfileQWord(const CRegistryPath& path, const QString& name, uint64_t value);
QVSYSTEM_EXPORT bool AfxWriteProfileQWord(HKEY key, const QString& subKey, const QString& name,
                                          uint64_t value);
QVSYSTEM_EXPORT bool AfxWriteProfileQWord(const CRegistryPath& path, const QString& subKey,
                                          const QString& name, uint64_t value);

// REG_SZ: UTF-16LE stored with its terminator. The text read is never null (a null
// default reads as the empty text); a null handle or name reads as the empty text whatever
// the default. Writing a null text fails.
QVSYSTEM_EXPORT QString AfxGetProfileString(HKEY key, const QString& name, const QString& defaultValue);
QVSYSTEM_EXPORT QString AfxGetProfileString(const CRegistryPath& path, const QString& name,
                                            const QString& defaultValue);
QVSYSTEM_EXPORT QString AfxGetProfileString(HKEY key, const QString& subKey, const QString& name,
                                            const QString& defaultValue);
QVSYSTEM_EXPORT QString AfxGetProfileString(const CRegistryPath& path, const QString& subKey,
                                            const QString& name, const QString& defaultValue);
QVSYSTEM_EXPORT bool AfxWriteProfileString(HKEY key, const QString& name, const QString& value);
QVSYSTEM_EXPORT bool AfxWriteProfileString(const CRegistryPath& path, const QString& name,
                                           const QString& value);
QVSYSTEM_EXPORT bool AfxWriteProfileString(HKEY key, const QString& subKey, const QString& name,
                                           const QString& value);
QVSYSTEM_EXPORT bool AfxWriteProfileString(const CRegistryPath& path, const QString& subKey,
                                           const QString& name, const QString& value);

// REG_BINARY. A read fills data and returns true only for a REG_BINARY value of at least
// one byte; otherwise data is emptied and the result is false. Writing no bytes fails.
QVSYSTEM_EXPORT bool AfxGetProfileBinary(HKEY key, const QString& name, QByteArray& data);
QVSYSTEM_EXPORT bool AfxGetProfileBinary(const CRegistryPath& path, const QString& name, QByteArray& data);
QVSYSTEM_EXPORT bool AfxGetProfileBinary(HKEY key, const QString& subKey, const QString& name,
                                         QByteArray& data);
QVSYSTEM_EXPORT bool AfxGetProfileBinary(const CRegistryPath& path, const QString& subKey,
                                         const QString& name, QByteArray& data);
QVSYSTEM_EXPORT bool AfxWriteProfileBinary(HKEY key, const QString& name, const QByteArray& data);
QVSYSTEM_EXPORT bool AfxWriteProfileBinary(const CRegistryPath& path, const QString& name,
                                           const QByteArray& data);
QVSYSTEM_EXPORT bool AfxWriteProfileBinary(HKEY key, const QString& subKey, const QString& name,
                                           const QByteArray& data);
QVSYSTEM_EXPORT bool AfxWriteProfileBinary(const CRegistryPath& path, const QString& subKey,
                                           const QString& name, const QByteArray& data);

// A date-time as a REG_BINARY of exactly 12 bytes: the little-endian IEEE double of the
// automation date, then the little-endian 32-bit status (0 valid, 1 invalid, 2 null). Any
// other size, or a status outside those three, reads as the default.
QVSYSTEM_EXPORT COleDateTime AfxGetProfileOleDateTime(HKEY key, const QString& name,
                                                      const COleDateTime& defaultValue);
QVSYSTEM_EXPORT COleDateTime AfxGetProfileOleDateTime(const CRegistryPath& path, const QString& name,
                                                      const COleDateTime& defaultValue);
QVSYSTEM_EXPORT COleDateTime AfxGetProfileOleDateTime(HKEY key, const QString& subKey, const QString& name,
                                                      const COleDateTime& defaultValue);
QVSYSTEM_EXPORT COleDateTime AfxGetProfileOleDateTime(const CRegistryPath& path, const QString& subKey,
                                                      const QString& name, const COleDateTime& defaultValue);
QVSYSTEM_EXPORT bool AfxWriteProfileOleDateTime(HKEY key, const QString& name, const COleDateTime& value);
QVSYSTEM_EXPORT bool AfxWriteProfileOleDateTime(const CRegistryPath& path, const QString& name,
                                                const COleDateTime& value);
QVSYSTEM_EXPORT bool AfxWriteProfileOleDateTime(HKEY key, const QString& subKey, const QString& name,
                                                const COleDateTime& value);
QVSYSTEM_EXPORT bool AfxWriteProfileOleDateTime(const CRegistryPath& path, const QString& subKey,
                                                const QString& name, const COleDateTime& value);

// The update check keeps its values in the sub key "Check For Updates" below the caller's
// path: "URL" (text, default empty), "Reminder" (days between reminders, 0 = never; default
// 30), and the UTC date-times "Last Checked", "Last Modified" and "Last Dismissed" (default
// 0.0, valid).
inline constexpr uint32_t DEFAULT_CHECK_FOR_UPDATES_REMINDER = 30;
inline constexpr uint32_t MAX_CHECK_FOR_UPDATES_REMINDER = 90;

QVSYSTEM_EXPORT QString AfxGetProfileCheckForUpdatesURL(const CRegistryPath& path);
QVSYSTEM_EXPORT bool AfxWriteProfileCheckForUpdatesURL(const CRegistryPath& path, const QString& url);
QVSYSTEM_EXPORT uint32_t AfxGetProfileCheckForUpdatesReminder(const CRegistryPath& path);
QVSYSTEM_EXPORT bool AfxWriteProfileCheckForUpdatesReminder(const CRegistryPath& path, uint32_t days);
QVSYSTEM_EXPORT COleDateTime AfxGetProfileCheckForUpdatesLastChecked(const CRegistryPath& path);
QVSYSTEM_EXPORT bool AfxWriteProfileCheckForUpdatesLastChecked(const CRegistryPath& path,
                                                               const COleDateTime& time);
QVSYSTEM_EXPORT COleDateTime AfxGetProfileCheckForUpdatesLastModified(const CRegistryPath& path);
QVSYSTEM_EXPORT bool AfxWriteProfileCheckForUpdatesLastModified(const CRegistryPath& path,
                                                                const COleDateTime& time);
QVSYSTEM_EXPORT COleDateTime AfxGetProfileCheckForUpdatesLastDismissed(const CRegistryPath& path);
QVSYSTEM_EXPORT bool AfxWriteProfileCheckForUpdatesLastDismissed(const CRegistryPath& path,
                                                                 const COleDateTime& time);

// 0 to 90 days inclusive. The argument is unsigned, so a negative count passed in is far
// out of range.
QVSYSTEM_EXPORT bool AfxIsValidCheckForUpdatesReminder(uint32_t days);
