#pragma once
// The version block of one of our modules: each of our ELF files (the shared library and
// the programs) carries one in a section of its own, ".qvversion", holding the fixed
// information and a string table. Modules without that section have no version block.

#include "qvsystem/qvsystem_export.h"
#include "qvsystem/system/VersionNumber.h"

#include <QString>

#include <cstdint>
#include <vector>

// A loaded module, named by any address inside it; null names the main program.
using HMODULE = void*;

// The fixed information (the 13 words of the Windows record, same order and meaning).
struct VS_FIXEDFILEINFO {
    uint32_t dwSignature;
    uint32_t dwStrucVersion;
    uint32_t dwFileVersionMS;
    uint32_t dwFileVersionLS;
    uint32_t dwProductVersionMS;
    uint32_t dwProductVersionLS;
    uint32_t dwFileFlagsMask;
    uint32_t dwFileFlags;
    uint32_t dwFileOS;
    uint32_t dwFileType;
    uint32_t dwFileSubtype;
    uint32_t dwFileDateMS;
    uint32_t dwFileDateLS;
};

inline constexpr uint32_t VS_FFI_SIGNATURE = 0xFEEF04BD;
inline constexpr uint32_t VS_FFI_STRUCVERSION = 0x00010000;
inline constexpr uint32_t VS_FF_DEBUG = 0x1;
inline constexpr uint32_t VFT_APP = 0x1;
inline constexpr uint32_t VFT_DLL = 0x2;

// The error codes that CModuleVersion stores (the Windows codes, which callers compare).
inline constexpr uint32_t QV_ERROR_FILE_NOT_FOUND = 2;
inline constexpr uint32_t QV_ERROR_PATH_NOT_FOUND = 3;
inline constexpr uint32_t QV_ERROR_ACCESS_DENIED = 5;
inline constexpr uint32_t QV_ERROR_INVALID_HANDLE = 6;
inline constexpr uint32_t QV_ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr uint32_t QV_ERROR_BAD_FORMAT = 11;   // not a module that can hold a block
inline constexpr uint32_t QV_ERROR_INVALID_DATA = 13; // the block is damaged
inline constexpr uint32_t QV_ERROR_READ_FAULT = 30;
inline constexpr uint32_t QV_ERROR_BAD_ARGUMENTS = 160;
inline constexpr uint32_t QV_ERROR_RESOURCE_TYPE_NOT_FOUND = 1813; // no version block
inline constexpr uint32_t QV_ERROR_RESOURCE_NAME_NOT_FOUND = 1814; // no such string value

class QVSYSTEM_EXPORT CModuleVersion {
public:
    CModuleVersion() = default;

    // Reads the block of a module file. A failed load leaves nothing loaded and the
    // error stored.
    bool Load(const QString& path);
    // The same for the file of a module loaded in this process.
    bool Load(HMODULE module);
    void Release();

    bool IsLoaded() const { return !m_block.empty(); }
    uint32_t GetLastError() const { return m_dwError; }
    // The path of the last successful load (empty otherwise).
    QString GetModulePath() const { return m_strPath; }
    uint16_t GetLanguage() const { return m_wLanguage; }
    uint16_t GetCodePage() const { return m_wCodePage; }
    // False (and the record zeroed) when nothing is loaded.
    bool GetFixedFileInfo(VS_FIXEDFILEINFO& info) const;

    // Major is the high and minor the low word of the most significant half, revision
    // and build those of the least significant half. All zero and false when not loaded.
    bool GetFileVersion(uint16_t& major, uint16_t& minor, uint16_t& revision, uint16_t& build) const;
    bool GetProductVersion(uint16_t& major, uint16_t& minor, uint16_t& revision, uint16_t& build) const;
    bool GetFileVersion(CVersionNumber& version) const;
    bool GetProductVersion(CVersionNumber& version) const;
    bool GetFileFlags(uint32_t& flags) const;
    bool GetFileOS(uint32_t& os) const;
    bool GetFileType(uint32_t& type) const;
    bool GetFileSubtype(uint32_t& subtype) const;

    // A string-table value by name (names compare without regard to ASCII case). Stores
    // 160 for a null name, 6 when nothing is loaded, 1814 when the name is absent.
    bool GetSubBlockValue(const QString& name, QString& value);

    bool GetComments(QString& value) { return GetSubBlockValue(QStringLiteral("Comments"), value); }
    bool GetCompanyName(QString& value) { return GetSubBlockValue(QStringLiteral("CompanyName"), value); }
    bool GetFileDescription(QString& value)
    {
        return GetSubBlockValue(QStringLiteral("FileDescription"), value);
    }
    bool GetFileVersion(QString& value) { return GetSubBlockValue(QStringLiteral("FileVersion"), value); }
    bool GetInternalName(QString& value) { return GetSubBlockValue(QStringLiteral("InternalName"), value); }
    bool GetLegalCopyright(QString& value)
    {
        return GetSubBlockValue(QStringLiteral("LegalCopyright"), value);
    }
    bool GetLegalTrademarks(QString& value)
    {
        return GetSubBlockValue(QStringLiteral("LegalTrademarks"), value);
    }
    bool GetOriginalFileName(QString& value)
    {
        return GetSubBlockValue(QStringLiteral("OriginalFileName"), value);
    }
    bool GetPrivateBuild(QString& value) { return GetSubBlockValue(QStringLiteral("PrivateBuild"), value); }
    bool GetProductName(QString& value) { return GetSubBlockValue(QStringLiteral("ProductName"), value); }
    bool GetProductVersion(QString& value)
    {
        return GetSubBlockValue(QStringLiteral("ProductVersion"), value);
    }
    bool GetSpecialBuild(QString& value) { return GetSubBlockValue(QStringLiteral("SpecialBuild"), value); }

    // The file of the module that contains address (the main program for null); empty
    // when no loaded module contains it.
    static QString GetModuleFilePath(HMODULE module);

private:
    QString m_strPath;
    std::vector<char> m_block; // the whole record as read from the file
    VS_FIXEDFILEINFO m_fixed = {};
    uint32_t m_dwError = 0;
    uint16_t m_wLanguage = 0x0409;
    uint16_t m_wCodePage = 1252;
};
