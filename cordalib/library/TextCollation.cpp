#include "cordalib/library/TextCollation.h"

#include "qvsystem/platform/CodePage.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

QString CharText(unsigned c)
{
    return QString(QChar(AfxAnsiCharToUnicode(static_cast<unsigned char>(c))));
}

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

// The accent weight of an unaccented letter; 1 stays free for an expansion that sorts
// before its plain parts.
constexpr uint8_t SECONDARY_FIRST = 2;

} // namespace

int CTextCollation::WideKey::Compare(const WideKey& other) const
{
    if (m_key && other.m_key)
        return Sign(m_key->compare(*other.m_key));
    // Folded once when the key was made: the comparison itself is exact.
    return Sign(QString::compare(m_text, other.m_text, Qt::CaseSensitive));
}

CTextCollation::CTextCollation(const QLocale& locale) : m_collator(locale)
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_cLocale = locale.language() == QLocale::C;
    BuildTable();
    m_tableExact = VerifyTable();
    BuildKeyTable();
}

const CTextCollation& CTextCollation::Default()
{
    static const CTextCollation collation{QLocale()};
    return collation;
}

void CTextCollation::BuildTable()
{
    const auto compare = [this](const QString& a, const QString& b) { return m_collator.compare(a, b); };

    // The code page's characters, and characters outside it that some of them expand to
    // (the fraction slash of ¼ ½ ¾), so that those expansions can be expressed too.
    std::vector<QString> symbols;
    for (unsigned c = 0; c < 256; ++c)
        symbols.push_back(CharText(c));
    symbols.push_back(QString(QChar(0x2044)));

    // Ignorable characters (controls, the soft hyphen) change nothing next to a letter;
    // QCollator never calls a text equal to the empty one, so a letter is needed.
    const QString letter = QStringLiteral("a");
    std::vector<size_t> chars;
    for (size_t c = 0; c < symbols.size(); ++c) {
        if (compare(letter + symbols[c], letter) != 0 || compare(symbols[c] + letter, letter) != 0)
            chars.push_back(c);
    }
    std::stable_sort(chars.begin(), chars.end(),
                     [&](size_t a, size_t b) { return compare(symbols[a], symbols[b]) < 0; });
    if (chars.empty())
        return;

    // Two texts share their base letters when a trailing "b" against a trailing "a" alone
    // decides their order.
    const QString low = QStringLiteral("a");
    const QString high = QStringLiteral("b");
    const auto samePrimary = [&](const QString& s, const QString& t) {
        return compare(s + high, t + low) > 0 && compare(s + low, t + high) < 0;
    };

    // Groups of characters with the same base letters, in collation order.
    std::vector<std::vector<size_t>> groups;
    groups.push_back({chars[0]});
    for (size_t i = 1; i < chars.size(); ++i) {
        if (samePrimary(symbols[groups.back().front()], symbols[chars[i]]))
            groups.back().push_back(chars[i]);
        else
            groups.push_back({chars[i]});
    }
    const size_t groupCount = groups.size();
    const auto text = [&](size_t g) -> const QString& { return symbols[groups[g].front()]; };

    // A group may be an expansion: the letter of the nearest base group before it followed
    // by one or two more (æ = a e, … = . . .). Each further part is found by a binary
    // search over the groups, whose texts grow in collation order after a common prefix.
    std::vector<std::vector<size_t>> parts(groupCount);
    size_t lastBase = 0;
    for (size_t g = 1; g < groupCount; ++g) {
        std::vector<size_t> found{lastBase};
        QString prefix = text(lastBase);
        bool expansion = false;
        while (found.size() < 3) {
            size_t lo = 0, hi = groupCount;
            while (lo < hi) {
                const size_t mid = (lo + hi) / 2;
                if (compare(prefix + text(mid), text(g)) <= 0)
                    lo = mid + 1;
                else
                    hi = mid;
            }
            if (lo == 0 || lo - 1 == g || !parts[lo - 1].empty())
                break;
            found.push_back(lo - 1);
            prefix += text(lo - 1);
            if (samePrimary(text(g), prefix)) {
                expansion = true;
                break;
            }
        }
        if (expansion)
            parts[g] = std::move(found);
        else
            lastBase = g;
    }

    // Base groups number their primary weights in collation order.
    std::vector<uint16_t> primary(groupCount, 0);
    uint16_t next = 1;
    for (size_t g = 0; g < groupCount; ++g) {
        if (parts[g].empty())
            primary[g] = next++;
    }

    // Accents rank within a group, on even steps so that an expansion's own accent finds
    // room between them; characters that compare equal share a rank.
    std::vector<uint8_t> rank(symbols.size(), SECONDARY_FIRST);
    for (const std::vector<size_t>& members : groups) {
        uint8_t r = SECONDARY_FIRST;
        for (size_t m = 0; m < members.size(); ++m) {
            if (m > 0 && compare(symbols[members[m - 1]], symbols[members[m]]) != 0 && r < 250)
                r = static_cast<uint8_t>(r + 2);
            rank[members[m]] = r;
        }
    }

    for (size_t g = 0; g < groupCount; ++g) {
        for (size_t member : groups[g]) {
            if (member >= m_table.size())
                continue;
            Element& e = m_table[member];
            if (parts[g].empty()) {
                e.count = 1;
                e.primary[0] = primary[g];
                e.secondary[0] = rank[member];
                continue;
            }
            e.count = static_cast<uint8_t>(parts[g].size());
            QString rest;
            for (size_t k = 0; k < parts[g].size(); ++k) {
                e.primary[k] = primary[parts[g][k]];
                e.secondary[k] = SECONDARY_FIRST;
                if (k > 0)
                    rest += text(parts[g][k]);
            }
            // The expansion's own accent: where the character falls among the accented
            // forms of its first letter followed by the rest (æ against ae, áe, âe ...).
            const std::vector<size_t>& firstGroup = groups[parts[g][0]];
            uint8_t accent = static_cast<uint8_t>(rank[firstGroup.back()] + 1);
            for (size_t form : firstGroup) {
                const int order = compare(symbols[member], symbols[form] + rest);
                if (order <= 0) {
                    accent = static_cast<uint8_t>(order == 0 ? rank[form] : rank[form] - 1);
                    break;
                }
            }
            e.secondary[0] = accent;
        }
    }
}

bool CTextCollation::VerifyTable() const
{
    // Short probes over the letters and every other character: contractions and any order
    // the weights cannot express show up as a disagreement with QCollator.
    std::vector<std::string> probes;
    for (char x = 'a'; x <= 'z'; ++x) {
        for (char y = 'a'; y <= 'z'; ++y)
            probes.push_back(std::string{x, y});
    }
    for (unsigned c = 1; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        probes.push_back(std::string{ch});
        probes.push_back(std::string{'a', ch});
        probes.push_back(std::string{ch, 'z'});
    }
    std::vector<QString> wide;
    wide.reserve(probes.size());
    for (const std::string& probe : probes)
        wide.push_back(AfxAnsiToUnicode(probe));
    std::vector<size_t> order(probes.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return m_collator.compare(wide[a], wide[b]) < 0; });
    for (size_t i = 1; i < order.size(); ++i) {
        const int expected = Sign(m_collator.compare(wide[order[i - 1]], wide[order[i]]));
        if (Sign(CompareTable(probes[order[i - 1]], probes[order[i]])) != expected)
            return false;
    }
    return true;
}

int CTextCollation::CompareTable(std::string_view a, std::string_view b) const
{
    // One pass: the first differing base letter decides; when all agree, the first
    // differing accent seen on the way (the elements line up then); then the length.
    const auto* pa = reinterpret_cast<const unsigned char*>(a.data());
    const auto* ea = pa + a.size();
    const auto* pb = reinterpret_cast<const unsigned char*>(b.data());
    const auto* eb = pb + b.size();
    const Element* xa = nullptr;
    const Element* xb = nullptr;
    unsigned ka = 0, kb = 0;
    int accent = 0;
    for (;;) {
        while (!xa || ka >= xa->count) {
            if (pa == ea) {
                xa = nullptr;
                break;
            }
            xa = &m_table[*pa++];
            ka = 0;
        }
        while (!xb || kb >= xb->count) {
            if (pb == eb) {
                xb = nullptr;
                break;
            }
            xb = &m_table[*pb++];
            kb = 0;
        }
        if (!xa || !xb)
            return xa ? 1 : (xb ? -1 : accent);
        const uint16_t wa = xa->primary[ka];
        const uint16_t wb = xb->primary[kb];
        if (wa != wb)
            return wa < wb ? -1 : 1;
        if (accent == 0 && xa->secondary[ka] != xb->secondary[kb])
            accent = xa->secondary[ka] < xb->secondary[kb] ? -1 : 1;
        ++ka;
        ++kb;
    }
}

int CTextCollation::Compare(std::string_view a, std::string_view b) const
{
    if (m_tableExact)
        return CompareTable(a, b);
    return Sign(m_collator.compare(AfxAnsiToUnicode(a), AfxAnsiToUnicode(b)));
}

uint64_t CTextCollation::PrimaryPrefix(std::string_view text) const
{
    if (!m_tableExact)
        return 0;
    // A text that ends early leaves zeros, below every weight: shorter sorts first.
    uint64_t prefix = 0;
    int shift = 48;
    for (unsigned char c : text) {
        const Element& e = m_table[c];
        for (unsigned k = 0; k < e.count; ++k) {
            prefix |= static_cast<uint64_t>(e.primary[k]) << shift;
            shift -= 16;
            if (shift < 0)
                return prefix;
        }
    }
    return prefix;
}

void CTextCollation::BuildKeyTable()
{
    // One byte per base letter keeps keys short, so that more of them differ within the
    // first bytes a sort compares.
    uint16_t highest = 0;
    for (const Element& e : m_table) {
        for (unsigned k = 0; k < e.count; ++k)
            highest = std::max(highest, e.primary[k]);
    }
    m_primaryBytes = highest < 256 ? 1 : 2;
    for (size_t c = 0; c < m_table.size(); ++c) {
        const Element& e = m_table[c];
        KeyBytes& bytes = m_keyTable[c];
        for (unsigned k = 0; k < e.count; ++k) {
            if (m_primaryBytes == 2)
                bytes.primary[bytes.primaryCount++] = static_cast<char>(e.primary[k] >> 8);
            bytes.primary[bytes.primaryCount++] = static_cast<char>(e.primary[k] & 0xff);
            bytes.secondary[bytes.secondaryCount++] = static_cast<char>(e.secondary[k]);
        }
    }
}

bool CTextCollation::AppendSortKey(std::string_view text, std::string& buffer) const
{
    if (!m_tableExact)
        return false;
    // Weights are never zero, so the terminator sorts a text before any longer one with
    // the same base letters. Texts with equal base letters have as many accent weights,
    // so the accents line up just as they do in the comparison.
    const size_t start = buffer.size();
    buffer.resize(start + text.size() * 3 * (m_primaryBytes + 1) + m_primaryBytes);
    char* out = buffer.data() + start;
    for (unsigned char c : text) {
        const KeyBytes& bytes = m_keyTable[c];
        std::memcpy(out, bytes.primary, sizeof bytes.primary);
        out += bytes.primaryCount;
    }
    for (unsigned k = 0; k < m_primaryBytes; ++k)
        *out++ = '\0';
    for (unsigned char c : text) {
        const KeyBytes& bytes = m_keyTable[c];
        std::memcpy(out, bytes.secondary, sizeof bytes.secondary);
        out += bytes.secondaryCount;
    }
    buffer.resize(static_cast<size_t>(out - buffer.data()));
    return true;
}

int CTextCollation::Compare(const QString& a, const QString& b) const
{
    if (m_cLocale)
        return Sign(QString::compare(a, b, Qt::CaseInsensitive));
    return Sign(m_collator.compare(a, b));
}

CTextCollation::WideKey CTextCollation::MakeWideKey(const QString& text) const
{
    WideKey key;
    if (m_cLocale)
        key.m_text = text.toCaseFolded();
    else
        key.m_key.emplace(m_collator.sortKey(text));
    return key;
}
