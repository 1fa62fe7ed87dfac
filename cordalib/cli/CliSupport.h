#pragma once
// Helpers shared by the cordalib-cli command files.

#include <QString>

#include <optional>

// A lesson style or level given as its display name (ignoring case) or as its number;
// nothing when it names none.
std::optional<unsigned> CliParseLessonStyle(const QString& text);
std::optional<unsigned> CliParseLessonLevel(const QString& text);
