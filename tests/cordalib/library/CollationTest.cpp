// The weight-table collation of 8-bit texts must order as QCollator does, or the lists
// would sort differently from the locale's own order.

#include "cordalib/library/TextCollation.h"

#include "qvsystem/platform/CodePage.h"

#include <gtest/gtest.h>

#include <QCollator>

#include <random>
#include <string>
#include <vector>

namespace {

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

// Random short texts over letters, accents, ligatures, digits, punctuation and the
// characters that expand (ß, æ, œ, ½, ™, …) or are ignored (soft hyphen).
std::vector<std::string> RandomTexts(unsigned seed, int count)
{
    static const std::string alphabet =
        "aAbBcCdDeEfgGhHiIjklLmnNoOpqrsStTuUvwxyzZ 0123456789-'.,&"
        "\xe0\xe1\xe2\xe3\xe4\xe5\xe6\xe7\xe8\xe9\xea\xeb\xec\xed\xee\xef\xf1\xf2\xf3\xf4\xf5\xf6\xf8\xf9"
        "\xfa\xfb\xfc\xfd\xff\xc0\xc1\xc4\xc5\xc6\xc7\xc9\xd1\xd6\xd8\xdc\xdf\x8a\x9a\x8c\x9c\x8e\x9e\xbd\x99"
        "\x85\xad";
    std::mt19937 rng(seed);
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) {
        std::string text;
        const int length = 1 + static_cast<int>(rng() % 10);
        for (int k = 0; k < length; ++k)
            text.push_back(alphabet[rng() % alphabet.size()]);
        texts.push_back(text);
    }
    return texts;
}

} // namespace

class CollationAgainstQCollator : public testing::TestWithParam<const char*> {};

// Every pair QCollator orders strictly must be ordered the same way by the table (ties,
// where QCollator sees equal texts, are left out as the sort order leaves them open).
TEST_P(CollationAgainstQCollator, SameOrderOnRandomAccentedTexts)
{
    const QLocale locale(QString::fromLatin1(GetParam()));
    const CTextCollation collation(locale);
    QCollator reference(locale);
    reference.setCaseSensitivity(Qt::CaseInsensitive);
    const std::vector<std::string> texts = RandomTexts(1234, 400);
    int compared = 0;
    for (size_t i = 0; i < texts.size(); ++i) {
        for (size_t j = i + 1; j < texts.size(); j += 7) {
            const int expected =
                Sign(reference.compare(AfxAnsiToUnicode(texts[i]), AfxAnsiToUnicode(texts[j])));
            if (expected == 0)
                continue;
            ++compared;
            ASSERT_EQ(Sign(collation.Compare(texts[i], texts[j])), expected)
                << GetParam() << ": '" << AfxAnsiToUnicode(texts[i]).toStdString() << "' vs '"
                << AfxAnsiToUnicode(texts[j]).toStdString() << "' (table exact: " << collation.IsTableExact()
                << ")";
        }
    }
    EXPECT_GT(compared, 10000);
}

INSTANTIATE_TEST_SUITE_P(Locales, CollationAgainstQCollator,
                         testing::Values("C", "en_US", "de_DE", "fr_FR", "sv_SE", "es_ES", "cs_CZ", "da_DK"));

// The table serves the common locales itself; locales with contractions are detected
// and served through QCollator instead of with a wrong order.
TEST(TextCollation, TableUsedWhereItIsExact)
{
    EXPECT_TRUE(CTextCollation(QLocale(QStringLiteral("en_US"))).IsTableExact());
    EXPECT_TRUE(CTextCollation(QLocale(QStringLiteral("de_DE"))).IsTableExact());
    EXPECT_TRUE(CTextCollation(QLocale::c()).IsTableExact());
    EXPECT_FALSE(CTextCollation(QLocale(QStringLiteral("cs_CZ"))).IsTableExact()) << "ch sorts after h";
}

// Case never matters; base letters decide before accents, and a whole-text accent
// difference comes last.
TEST(TextCollation, CaseInsensitiveAndLevels)
{
    const CTextCollation collation(QLocale(QStringLiteral("en_US")));
    EXPECT_EQ(collation.Compare(std::string("Hello World"), std::string("hello world")), 0);
    EXPECT_EQ(collation.Compare(std::string("\xc9t\xe9"), std::string("\xe9T\xc9")), 0);
    EXPECT_LT(collation.Compare(std::string("r\xe9sum\xe9"), std::string("resumes")), 0);
    EXPECT_LT(collation.Compare(std::string("resume"), std::string("r\xe9sum\xe9")), 0);
    EXPECT_LT(collation.Compare(std::string("\xe6on"), std::string("af")), 0);
    EXPECT_GT(collation.Compare(std::string("Stra\xdf"
                                            "e"),
                                std::string("Strasse")),
              0);
    EXPECT_LT(collation.Compare(std::string(""), std::string("a")), 0);

    // Wide texts and their sort keys agree with each other.
    const QString a = QStringLiteral("/Music/\u00c9t\u00e9.crd"), b = QStringLiteral("/music/ete.crd");
    EXPECT_EQ(Sign(collation.Compare(a, b)), collation.MakeWideKey(a).Compare(collation.MakeWideKey(b)));
    EXPECT_EQ(collation.Compare(QStringLiteral("/A/B"), QStringLiteral("/a/b")), 0);
    const CTextCollation c(QLocale::c());
    EXPECT_EQ(c.MakeWideKey(QStringLiteral("ABC")).Compare(c.MakeWideKey(QStringLiteral("abc"))), 0);
}

// A packed prefix never contradicts the full comparison.
TEST(TextCollation, PrimaryPrefixAgreesWithCompare)
{
    const CTextCollation collation(QLocale(QStringLiteral("fr_FR")));
    const std::vector<std::string> texts = RandomTexts(99, 300);
    for (size_t i = 0; i + 1 < texts.size(); ++i) {
        const uint64_t pa = collation.PrimaryPrefix(texts[i]);
        const uint64_t pb = collation.PrimaryPrefix(texts[i + 1]);
        if (pa != pb) {
            EXPECT_EQ(pa < pb ? -1 : 1, Sign(collation.Compare(texts[i], texts[i + 1])))
                << texts[i] << " / " << texts[i + 1];
        }
    }
}

namespace {

int CompareKeys(const std::string& a, const std::string& b)
{
    const int order = a.compare(0, a.size(), b.data(), std::min(a.size(), b.size()));
    if (order != 0)
        return Sign(order);
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

} // namespace

class SortKeyAgainstCompare : public testing::TestWithParam<const char*> {};

// Sorting compares keys instead of texts: a key that orders two texts differently from
// Compare (an accent weighed before a later base letter, a shorter text after a longer
// one, a tie broken or a difference lost) would reorder the lists.
TEST_P(SortKeyAgainstCompare, KeysOrderAsCompareIncludingTiesAndPrefixes)
{
    const CTextCollation collation(QLocale(QString::fromLatin1(GetParam())));
    ASSERT_TRUE(collation.IsTableExact());
    std::vector<std::string> texts = RandomTexts(777, 150);
    // Ties (case, equal expansions) and texts that start another one.
    const size_t random = texts.size();
    for (size_t i = 0; i < random; ++i) {
        texts.push_back(AfxUnicodeToAnsi(AfxAnsiToUnicode(texts[i]).toUpper()));
        texts.push_back(texts[i] + texts[(i + 1) % random]);
        texts.push_back(texts[i].substr(0, texts[i].size() / 2));
    }
    for (const char* fixed : {"The Wall", "the wall", "The Walls", "The W\xe0ll",
                              "Stra\xdf"
                              "e",
                              "Strasse", "STRASSE", "\xe6on", "aeon", "", "\xad", "a\xad", "a"})
        texts.push_back(fixed);

    std::vector<std::string> keys;
    for (const std::string& text : texts) {
        std::string key = "unrelated prefix";
        ASSERT_TRUE(collation.AppendSortKey(text, key));
        keys.push_back(key.substr(16));
    }
    int ties = 0;
    for (size_t i = 0; i < texts.size(); ++i) {
        for (size_t j = i % 3; j < texts.size(); j += 3) {
            const int expected = Sign(collation.Compare(texts[i], texts[j]));
            ties += expected == 0 && i != j;
            ASSERT_EQ(CompareKeys(keys[i], keys[j]), expected)
                << GetParam() << ": '" << AfxAnsiToUnicode(texts[i]).toStdString() << "' vs '"
                << AfxAnsiToUnicode(texts[j]).toStdString() << "'";
        }
    }
    EXPECT_GT(ties, 100);
}

INSTANTIATE_TEST_SUITE_P(Locales, SortKeyAgainstCompare,
                         testing::Values("C", "en_US", "de_DE", "fr_FR", "sv_SE"));

// Without an exact table there is no key to build; the caller must take the QCollator path.
TEST(TextCollation, NoSortKeyWithoutExactTable)
{
    const CTextCollation collation(QLocale(QStringLiteral("cs_CZ")));
    std::string key = "x";
    EXPECT_FALSE(collation.AppendSortKey("chata", key));
    EXPECT_EQ(key, "x");
}
