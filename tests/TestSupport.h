#pragma once
// Helpers shared by every test binary.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <string>

namespace corda::test {

// Allows Qt warnings matching the pattern (a regular expression) for the rest of the
// current test; any other Qt warning fails the test.
void AllowQtWarning(const QString& pattern);

// The temporary folder that XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_RUNTIME_DIR point into
// for this test binary.
QString SandboxRoot();

// Reads or writes a whole file; failures fail the current test.
QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& bytes);

// Runs a shell command and returns its standard output; the exit code goes to *exitCode.
QByteArray RunCommand(const QString& command, int* exitCode = nullptr);

// md5sum's answer for a file, as 32 lowercase hexadecimal digits.
std::string Md5sumOf(const QString& path);

} // namespace corda::test
