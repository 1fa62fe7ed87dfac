#pragma once
// The texts of HTTP status codes and of the socket layer's error codes, from the library's
// string table.

#include "qvsystem/qvsystem_export.h"

#include <QString>

// One text per HTTP/1.1 status code; "Unknown HTTP status code." for any other.
QVSYSTEM_EXPORT QString AfxGetHTTPStatusCodeText(int code);
// One text per Windows Sockets error code and per error of the socket layer's own
// (QVSOCKET_ERROR_*, QVSocket.h); "Unknown error." for any other.
QVSYSTEM_EXPORT QString AfxGetWinsockErrorText(int code);
