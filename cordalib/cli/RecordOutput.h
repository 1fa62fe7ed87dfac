#pragma once
// How cordalib-cli prints records: one tab-separated line per record, or a JSON object
// with the records' field names.

#include "cordalib/cli/JsonWriter.h"

#include <QString>

class CSongRecord;
class CLessonRecord;
class COleDateTime;

namespace RecordOutput {

// title, artist, album, year, rating, path.
QString SongLine(const CSongRecord& song);
// title, subtitle, style name, level name, author, rating, path.
QString LessonLine(const CLessonRecord& lesson);

void WriteSong(CJsonWriter& json, const CSongRecord& song);
void WriteLesson(CJsonWriter& json, const CLessonRecord& lesson);

// "2026-12-08T08:20:42Z"; empty for a date that is not valid.
QString IsoDate(const COleDateTime& utc);

} // namespace RecordOutput
