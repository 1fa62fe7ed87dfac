#pragma once
// A four-part version number (major.minor.revision.build) that parses, compares and prints.

#include "qvsystem/qvsystem_export.h"

#include <QString>

#include <compare>
#include <cstdint>

class QVSYSTEM_EXPORT CVersionNumber {
public:
    CVersionNumber() = default;
    CVersionNumber(uint32_t major, uint32_t minor, uint32_t revision, uint32_t build);
    // Zero when the text does not parse.
    explicit CVersionNumber(const QString& text);

    void SetNumber(uint32_t major, uint32_t minor, uint32_t revision, uint32_t build);
    void GetNumber(uint32_t& major, uint32_t& minor, uint32_t& revision, uint32_t& build) const;
    void SetBuildNumber(uint32_t build) { m_build = build; }

    uint32_t GetMajorVersion() const { return m_major; }
    uint32_t GetMinorVersion() const { return m_minor; }
    uint32_t GetRevisionNumber() const { return m_revision; }
    uint32_t GetBuildNumber() const { return m_build; }

    // One component only: no carry into, and no reset of, the others.
    void IncrementMajorVersion() { ++m_major; }
    void IncrementMinorVersion() { ++m_minor; }
    void IncrementRevisionNumber() { ++m_revision; }
    void IncrementBuildNumber() { ++m_build; }

    // Tokens separated by commas, periods and blanks, each a whole decimal number; the
    // first four are the components (missing ones 0), later ones are checked and
    // ignored. A negative or non-numeric token fails and leaves all four at 0.
    static bool ParseVersionNumberString(const QString& text, uint32_t& major, uint32_t& minor,
                                         uint32_t& revision, uint32_t& build);

    // "major.minor.revision.build".
    QString GetText() const;

    // Component by component, most significant first.
    friend bool operator==(const CVersionNumber&, const CVersionNumber&) = default;
    friend std::strong_ordering operator<=>(const CVersionNumber&, const CVersionNumber&) = default;

private:
    uint32_t m_major = 0;
    uint32_t m_minor = 0;
    uint32_t m_revision = 0;
    uint32_t m_build = 0;
};
