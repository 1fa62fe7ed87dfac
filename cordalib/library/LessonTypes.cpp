#include "cordalib/library/LessonTypes.h"

#include "cordalib/library/CordaStrings.h"
#include "cordalib/library/TextCollation.h"

#include "qvsystem/platform/CodePage.h"

#include <algorithm>
#include <array>

namespace {

struct NameTables {
    std::array<QString, LESSON_STYLE_COUNT> styles;
    std::array<QString, LESSON_LEVEL_COUNT> levels;
    QString unknown;
    QString yes;
    QString no;
    bool stylesLoaded = false;
    bool levelsLoaded = false;
    bool traditionalLoaded = false;
    bool ranksBuilt = false;
    std::array<int, LESSON_STYLE_COUNT + 1> ranks{}; // the last one is "Unknown"
};

NameTables& Tables()
{
    static NameTables tables;
    return tables;
}

void EnsureUnknown(NameTables& t)
{
    if (t.unknown.isEmpty())
        LoadCordaString(IDS_UNKNOWN, t.unknown);
}

} // namespace

bool LoadLessonStyleNames()
{
    NameTables& t = Tables();
    EnsureUnknown(t);
    bool complete = true;
    for (unsigned i = 0; i < LESSON_STYLE_COUNT; ++i)
        complete = LoadCordaString(IDS_STYLE_FIRST + i, t.styles[i]) && complete;
    t.stylesLoaded = true;
    t.ranksBuilt = false;
    return complete;
}

bool LoadLessonLevelNames()
{
    NameTables& t = Tables();
    EnsureUnknown(t);
    bool complete = true;
    for (unsigned i = 0; i < LESSON_LEVEL_COUNT; ++i)
        complete = LoadCordaString(IDS_LEVEL_BEGINNER + i, t.levels[i]) && complete;
    t.levelsLoaded = true;
    return complete;
}

bool LoadTraditionalTexts()
{
    NameTables& t = Tables();
    const bool yes = LoadCordaString(IDS_YES, t.yes);
    const bool no = LoadCordaString(IDS_NO, t.no);
    t.traditionalLoaded = true;
    return yes && no;
}

const QString& GetLessonStyleName(unsigned style)
{
    NameTables& t = Tables();
    if (!t.stylesLoaded)
        LoadLessonStyleNames();
    return style < LESSON_STYLE_COUNT ? t.styles[style] : t.unknown;
}

const QString& GetLessonLevelName(unsigned level)
{
    NameTables& t = Tables();
    if (!t.levelsLoaded)
        LoadLessonLevelNames();
    return level < LESSON_LEVEL_COUNT ? t.levels[level] : t.unknown;
}

const QString& GetTraditionalText(bool traditional)
{
    NameTables& t = Tables();
    if (!t.traditionalLoaded)
        LoadTraditionalTexts();
    return traditional ? t.yes : t.no;
}

int GetLessonStyleSortRank(unsigned style)
{
    NameTables& t = Tables();
    if (!t.stylesLoaded)
        LoadLessonStyleNames();
    if (!t.ranksBuilt) {
        // Names compare as the 8-bit texts they are shown beside.
        std::array<std::string, LESSON_STYLE_COUNT + 1> names;
        for (unsigned i = 0; i < LESSON_STYLE_COUNT; ++i)
            names[i] = AfxUnicodeToAnsi(t.styles[i]);
        names[LESSON_STYLE_COUNT] = AfxUnicodeToAnsi(t.unknown);
        const CTextCollation& collation = CTextCollation::Default();
        for (unsigned i = 0; i <= LESSON_STYLE_COUNT; ++i) {
            int rank = 0;
            for (unsigned j = 0; j <= LESSON_STYLE_COUNT; ++j) {
                if (collation.Compare(names[j], names[i]) < 0)
                    ++rank;
            }
            t.ranks[i] = rank;
        }
        t.ranksBuilt = true;
    }
    return t.ranks[std::min(style, LESSON_STYLE_COUNT)];
}
