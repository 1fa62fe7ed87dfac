#pragma once
// The update listing: the body of a plain-text resource holding the latest version number
// and nothing else ("1.2.0.5"; periods, commas or blanks between the numbers).

#include "qvsystem/online/HttpHeader.h"
#include "qvsystem/qvsystem_export.h"
#include "qvsystem/system/VersionNumber.h"

#include <QByteArray>
#include <QString>

// The listed version; false when the text is not a version number alone. A line break or
// any other character makes it invalid, and so does a text with no number at all (an
// empty body would otherwise read as 0.0.0.0, older than every program). Missing
// components are 0: "1.2" is 1.2.0.0.
QVSYSTEM_EXPORT bool AfxParseUpdateListing(const QString& text, CVersionNumber& version);

// The body of a response that CHttpFileSocket wrote to the file (the header, then the
// body): the bytes after the header, no more than the header's Content-Length, joined from
// their chunks when the response came in chunks, read in blocks of 1024 bytes. At most
// maxBytes are read. 0 on success; otherwise the errno value of opening or reading the
// file, or EBADMSG when the chunked body is malformed.
QVSYSTEM_EXPORT int AfxReadHttpResponseBody(const QString& fileName, const CHttpHeader& header,
                                            qint64 maxBytes, QByteArray& body);
