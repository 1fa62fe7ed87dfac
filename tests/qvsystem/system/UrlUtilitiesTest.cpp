#include "qvsystem/system/UrlUtilities.h"

#include <gtest/gtest.h>

// An address without a server or object, or of a scheme no client handles, must not pass
// as valid: the update check would otherwise try to connect to nothing.
TEST(UrlUtilities, ValidAddressesNeedAKnownSchemeAndAServerOrObject)
{
    EXPECT_TRUE(AfxIsValidURL(QStringLiteral("http://updates.example.com/cordalib/updates.xml")));
    EXPECT_TRUE(AfxIsValidURL(QStringLiteral("HTTPS://example.com")));
    EXPECT_TRUE(AfxIsValidURL(QStringLiteral("ftp://ftp.example.com/pub/")));
    EXPECT_TRUE(AfxIsValidURL(QStringLiteral("file:///home/user/song.crd")));
    EXPECT_TRUE(AfxIsValidURL(QStringLiteral("mailto:someone@example.com")));
    EXPECT_TRUE(AfxIsValidURL(QStringLiteral("news:comp.music.guitar")));

    EXPECT_FALSE(AfxIsValidURL(QString()));
    EXPECT_FALSE(AfxIsValidURL(QStringLiteral("   ")));
    EXPECT_FALSE(AfxIsValidURL(QStringLiteral("http://")));
    EXPECT_FALSE(AfxIsValidURL(QStringLiteral("file://///")));
    EXPECT_FALSE(AfxIsValidURL(QStringLiteral("mailto:")));
    EXPECT_FALSE(AfxIsValidURL(QStringLiteral("javascript:alert(1)")));
    EXPECT_FALSE(AfxIsValidURL(QStringLiteral("updates.example.com/list.xml")));
    EXPECT_FALSE(AfxIsValidURL(QStringLiteral("http://exa mple.com/")));
}
