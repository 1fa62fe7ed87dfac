#pragma once
// Case-insensitive collation of the user's locale for the library's 8-bit (Windows-1252)
// texts, without converting a text on every comparison.
//
// The collator compares primary weights (base letters) over the whole text first and
// accents (secondary weights) only when the base letters agree; case is ignored. A table
// of those weights for the 256 code-page characters is worked out once from QCollator
// itself, expansions included (ß = ss, æ = ae), so comparisons give QCollator's order.
// Locales whose order the table cannot express (contractions such as Czech "ch" or
// Danish "aa") are detected while the table is built; comparisons then go through
// QCollator.

#include <QCollator>
#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class CTextCollation {
public:
    // Case-insensitive collation of the given locale.
    explicit CTextCollation(const QLocale& locale);

    // The collation of the user's locale, built on first use.
    static const CTextCollation& Default();

    // <0, 0, >0 as QCollator would order the texts converted from the code page.
    int Compare(std::string_view a, std::string_view b) const;
    // The first four base-letter weights of a text packed so that comparing two prefixes
    // gives Compare's order whenever they differ (equal prefixes decide nothing). All
    // zero when the table is not exact.
    uint64_t PrimaryPrefix(std::string_view text) const;
    // Appends a sort key of the text to the buffer: its base-letter weights (one byte
    // each when every weight fits in one, otherwise two, high byte first), a zero weight,
    // then its accent weights (one byte each). Comparing two keys bytewise, the shorter
    // first when one is a prefix of the other, gives Compare's order. Appends nothing and
    // returns false when the table is not exact.
    bool AppendSortKey(std::string_view text, std::string& buffer) const;

    // Case-insensitive collation of UTF-16 texts (paths).
    int Compare(const QString& a, const QString& b) const;

    // A key for a UTF-16 text: comparing two keys gives the order of Compare on the
    // texts. Sorting builds one key per entry instead of collating at each comparison.
    class WideKey {
    public:
        int Compare(const WideKey& other) const;

    private:
        friend class CTextCollation;
        std::optional<QCollatorSortKey> m_key;
        QString m_text; // the C locale's keys would not ignore case: the folded text instead
    };
    WideKey MakeWideKey(const QString& text) const;

    // False when the locale needed the QCollator fallback for 8-bit texts.
    bool IsTableExact() const { return m_tableExact; }
    QLocale GetLocale() const { return m_collator.locale(); }

private:
    // A character as up to three collation elements; count 0 marks an ignorable one.
    struct Element {
        uint16_t primary[3] = {0, 0, 0};
        uint8_t secondary[3] = {0, 0, 0};
        uint8_t count = 0;
    };

    void BuildTable();
    bool VerifyTable() const;
    void BuildKeyTable();
    int CompareTable(std::string_view a, std::string_view b) const;

    QCollator m_collator;
    // The C locale compares case-folded UTF-16 units; its QCollator sort keys would not.
    bool m_cLocale = false;
    bool m_tableExact = false;
    std::array<Element, 256> m_table{};

    // Each character's base-letter and accent bytes of a sort key.
    struct KeyBytes {
        char primary[6] = {};
        char secondary[3] = {};
        uint8_t primaryCount = 0;
        uint8_t secondaryCount = 0;
    };
    std::array<KeyBytes, 256> m_keyTable{};
    unsigned m_primaryBytes = 2;
};
