#pragma once
// The lesson style and level enumerations, their display names, and the traditional-flag
// texts of songs. The names come from the program's string table and are loaded once.

#include <QString>

#include <cstdint>
#include <string>

enum lessonStyle : uint16_t {
    lessonStyleAlternative = 0,
    lessonStyleBluegrass = 1,
    lessonStyleBlues = 2,
    lessonStyleCountry = 3,
    lessonStyleFingerpick = 4,
    lessonStyleFlamenco = 5,
    lessonStyleFolk = 6,
    lessonStyleFunk = 7,
    lessonStyleFusion = 8,
    lessonStyleGeneral = 9,
    lessonStyleJazz = 10,
    lessonStyleMetal = 11,
    lessonStyleOther = 12,
    lessonStylePop = 13,
    lessonStyleProgressiveRock = 14,
    lessonStylePunk = 15,
    lessonStyleReggae = 16,
    lessonStyleRock = 17,
    lessonStyleSwing = 18,
};
inline constexpr unsigned LESSON_STYLE_COUNT = 19;

enum lessonLevel : uint8_t {
    lessonLevelBeginner = 0,
    lessonLevelIntermediate = 1,
    lessonLevelAdvanced = 2,
};
inline constexpr unsigned LESSON_LEVEL_COUNT = 3;

// Load the name tables; false when a text is missing (the style table needs all 19).
// Called at start-up; the getters below load on first use otherwise.
bool LoadLessonStyleNames();
bool LoadLessonLevelNames();
bool LoadTraditionalTexts();

// The display name, or "Unknown" for a style of 19 or more (a level of 3 or more).
const QString& GetLessonStyleName(unsigned style);
const QString& GetLessonLevelName(unsigned level);
// "Yes" or "No".
const QString& GetTraditionalText(bool traditional);

// The position of a style's display name in the collation order of the user's locale
// (styles of 19 or more share the position of "Unknown"): sorting by style compares
// names, and the names are fixed for the run.
int GetLessonStyleSortRank(unsigned style);
