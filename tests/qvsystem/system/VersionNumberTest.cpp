#include "qvsystem/system/VersionNumber.h"

#include <gtest/gtest.h>

namespace {

struct Parsed {
    bool ok;
    uint32_t v[4];
};

Parsed Parse(const QString& text)
{
    Parsed p{false, {7, 7, 7, 7}}; // nonzero, so that the reset to zero shows
    p.ok = CVersionNumber::ParseVersionNumberString(text, p.v[0], p.v[1], p.v[2], p.v[3]);
    return p;
}

} // namespace

// Guards the token rules: any mix of separators, missing components as zero, the fifth
// and later tokens checked but ignored.
TEST(VersionNumberTest, ParsesWellFormedTexts)
{
    const struct {
        const char* text;
        uint32_t v[4];
    } cases[] = {
        {"2.1", {2, 1, 0, 0}},
        {"1, 0, 3, 12", {1, 0, 3, 12}},
        {"1.2.3.4.5", {1, 2, 3, 4}},
        {"", {0, 0, 0, 0}},
        {" ,. ", {0, 0, 0, 0}},
        {"1..2", {1, 2, 0, 0}},
        {"  3 4,5.6  ", {3, 4, 5, 6}},
        {"+3.-0.007", {3, 0, 7, 0}},
        {"4294967295.0.0.1", {4294967295u, 0, 0, 1}},
    };
    for (const auto& c : cases) {
        const Parsed p = Parse(QString::fromLatin1(c.text));
        EXPECT_TRUE(p.ok) << '"' << c.text << '"';
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(p.v[i], c.v[i]) << '"' << c.text << "\" component " << i;
    }
}

// Guards against accepting what is not a version: a failure leaves all four at zero.
// A trailing line break must fail too, since an update listing is judged by this.
TEST(VersionNumberTest, RejectsMalformedTexts)
{
    for (const char* text : {"1.-2", "1.x", "x", "1.2.3.4.x", "1.2.3.4.-5", "1.2\n", "1.2\t3", "-", "+",
                             "1.2a", "4294967296", "99999999999999999999", "1;2"}) {
        const Parsed p = Parse(QString::fromLatin1(text));
        EXPECT_FALSE(p.ok) << '"' << text << '"';
        for (uint32_t v : p.v)
            EXPECT_EQ(v, 0u) << '"' << text << '"';
    }
    EXPECT_EQ(CVersionNumber(QStringLiteral("1.x.3")), CVersionNumber());
    EXPECT_EQ(CVersionNumber(QStringLiteral("5.6")), CVersionNumber(5, 6, 0, 0));
}

// Guards numeric (not textual) and unsigned comparison, most significant part first.
TEST(VersionNumberTest, Comparison)
{
    EXPECT_GT(CVersionNumber(1, 10, 0, 0), CVersionNumber(1, 9, 0, 0));
    EXPECT_LT(CVersionNumber(1, 9, 9, 9), CVersionNumber(2, 0, 0, 0));
    EXPECT_LT(CVersionNumber(1, 0, 0, 1), CVersionNumber(1, 0, 0, 0x80000000u));
    EXPECT_LE(CVersionNumber(1, 2, 3, 4), CVersionNumber(1, 2, 3, 4));
    EXPECT_GE(CVersionNumber(1, 2, 3, 4), CVersionNumber(1, 2, 3, 4));
    EXPECT_NE(CVersionNumber(1, 2, 3, 4), CVersionNumber(1, 2, 3, 5));
    EXPECT_NE(CVersionNumber(1, 2, 3, 4), CVersionNumber(0, 2, 3, 4));
    EXPECT_FALSE(CVersionNumber(1, 2, 3, 4) < CVersionNumber(1, 2, 3, 4));
}

// Guards the setters, the one-component increments and the printed form, which must not
// turn components above 2^31 negative.
TEST(VersionNumberTest, ChangesAndText)
{
    CVersionNumber v(1, 2, 3, 4);
    v.IncrementMinorVersion();
    EXPECT_EQ(v, CVersionNumber(1, 3, 3, 4));
    v.IncrementMajorVersion();
    v.IncrementRevisionNumber();
    v.IncrementBuildNumber();
    EXPECT_EQ(v.GetText(), QStringLiteral("2.3.4.5"));
    v.SetBuildNumber(0xFFFFFFFFu);
    v.IncrementBuildNumber(); // wraps without a carry into the revision
    EXPECT_EQ(v, CVersionNumber(2, 3, 4, 0));
    v.SetNumber(3000000000u, 0, 0, 1);
    EXPECT_EQ(v.GetText(), QStringLiteral("3000000000.0.0.1"));
    uint32_t a, b, c, d;
    v.GetNumber(a, b, c, d);
    EXPECT_EQ(a, 3000000000u);
    EXPECT_EQ(d, 1u);
    EXPECT_EQ(CVersionNumber(v.GetText()), v);
}
