#pragma once
// Internet addresses typed by the user (the update-listing address, the address combo).

#include "qvsystem/qvsystem_export.h"

#include <QString>

// Nonzero when the text parses as an address of a service an Internet client knows (web,
// secure web, file transfer, file, gopher, news, mail) and its server or object part, with
// trailing slashes removed, is not empty: "http://" alone is refused, "file:///tmp/a" taken.
QVSYSTEM_EXPORT int AfxIsValidURL(const QString& url);
