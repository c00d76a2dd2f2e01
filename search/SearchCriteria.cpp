#include "SearchCriteria.h"

#include "ContentScan.h"
#include "DateTime.h"
#include "NameMatch.h"

#include <cmath>
#include <fcntl.h>

namespace dm {

void TFileCriteria::Assign(const TPersistent *Source)
{
    const auto *src = dynamic_cast<const TFileCriteria *>(Source);
    if (!src)
        return TPersistent::Assign(Source);
    m_fileName = src->m_fileName;
    m_location = src->m_location;
    m_included = src->m_included;
    m_excluded = src->m_excluded;
    m_places = src->m_places;
    m_subfolders = src->m_subfolders;
    m_minLevel = src->m_minLevel;
    m_maxLevel = src->m_maxLevel;
}

namespace {

// Set element -> attribute bit, indexed by TFileAttribute.
constexpr std::uint32_t kAttrBit[] = {0x20, 0x01, 0x02, 0x04, 0x10};

} // namespace

void TAttributeCriteria::Assign(const TPersistent *Source)
{
    const auto *src = dynamic_cast<const TAttributeCriteria *>(Source);
    if (!src)
        return TPersistent::Assign(Source);
    m_mask = src->m_mask;
    m_exactMatch = src->m_exactMatch;
}

TFileAttributes TAttributeCriteria::Attributes() const
{
    TFileAttributes set;
    for (int a = ffArchive; a <= ffDirectory; ++a)
        if (m_mask & kAttrBit[a])
            set.include(static_cast<TFileAttribute>(a));
    return set;
}

void TAttributeCriteria::setAttributes(TFileAttributes v)
{
    m_mask = 0;
    for (int a = ffArchive; a <= ffDirectory; ++a)
        if (v.contains(static_cast<TFileAttribute>(a)))
            m_mask |= kAttrBit[a];
}

bool TAttributeCriteria::Matches(std::uint32_t Attr) const
{
    const std::uint32_t a = Attr & 0x37;
    return m_exactMatch ? a == m_mask : (a & ~m_mask) == 0;
}

void TDateTimeCriteria::Assign(const TPersistent *Source)
{
    const auto *src = dynamic_cast<const TDateTimeCriteria *>(Source);
    if (!src)
        return TPersistent::Assign(Source);
    for (int i = 0; i < 6; ++i)
        m_v[i] = src->m_v[i];
}

bool TDateTimeCriteria::Matches(std::int64_t Created, std::int64_t Modified,
                                std::int64_t Accessed) const
{
    const std::int64_t times[3] = {Created, Modified, Accessed};
    for (int i = 0; i < 3; ++i) {
        const TDateTimeValue before = m_v[2 * i];
        const TDateTimeValue after = m_v[2 * i + 1];
        if (before == 0 && after == 0)
            continue;
        if (!IsWithinDateRange(after, before, FileTimeToLocalDateTime(times[i])))
            return false;
    }
    return true;
}

namespace {

// Before 30 December 1899 the whole part counts days backwards while the
// fraction still counts the time forwards (-1.25 is 29 December, 06:00), so
// the parts are taken apart rather than compared as one number.
double dayOf(TDateTimeValue x) { return std::trunc(x); }
double timeOf(TDateTimeValue x) { return std::fabs(x - std::trunc(x)); }
// One steadily rising number for every moment, to compare full date-times.
double momentOf(TDateTimeValue x) { return dayOf(x) + timeOf(x); }

} // namespace

bool IsWithinDateRange(TDateTimeValue After, TDateTimeValue Before, TDateTimeValue Value)
{
    bool upper = true;
    if (Before != 0) {
        if (timeOf(Before) == 0) // a date: the whole day counts
            upper = dayOf(Value) <= dayOf(Before);
        else if (dayOf(Before) == 0) // a time of day, on any day
            upper = timeOf(Value) <= timeOf(Before);
        else
            upper = momentOf(Value) <= momentOf(Before);
    }
    bool lower = true;
    if (After != 0) {
        if (timeOf(After) == 0)
            lower = dayOf(Value) >= dayOf(After);
        else if (dayOf(After) == 0)
            lower = timeOf(Value) >= timeOf(After);
        else
            lower = momentOf(Value) >= momentOf(After);
    }
    return upper && lower;
}

void TSizeCriteria::Assign(const TPersistent *Source)
{
    const auto *src = dynamic_cast<const TSizeCriteria *>(Source);
    if (!src)
        return TPersistent::Assign(Source);
    m_min = src->m_min;
    m_max = src->m_max;
}

bool TSizeCriteria::Matches(std::uint64_t Size) const
{
    if (m_min != 0 && Size < m_min)
        return false;
    if (m_max != 0 && Size > m_max)
        return false;
    return true;
}

void TContentCriteria::Assign(const TPersistent *Source)
{
    const auto *src = dynamic_cast<const TContentCriteria *>(Source);
    if (!src)
        return TPersistent::Assign(Source);
    setPhrase(src->m_phrase);
    setIgnoreCase(src->m_ignoreCase);
    m_wholeWord = src->m_wholeWord;
}

void TContentCriteria::rebuildSearchPhrase()
{
    m_searchPhrase = m_phrase;
    if (m_ignoreCase) {
        const TByteTable &lower = LowerCaseTable();
        for (char &c : m_searchPhrase)
            c = static_cast<char>(lower[static_cast<unsigned char>(c)]);
    }
}

void TContentCriteria::setPhrase(const std::string &v)
{
    if (v == m_phrase)
        return;
    m_phrase = v;
    m_phraseLength = static_cast<std::int32_t>(v.size());
    rebuildSearchPhrase();
}

void TContentCriteria::setIgnoreCase(bool v)
{
    if (v == m_ignoreCase)
        return;
    m_ignoreCase = v;
    m_caseTable = v ? &LowerCaseTable() : &IdentityTable();
    rebuildSearchPhrase();
}

bool TContentCriteria::Matches(const std::string &FileName) const
{
    return Matches(AT_FDCWD, FileName);
}

bool TContentCriteria::Matches(int FolderFd, const std::string &Name,
                               const std::atomic<bool> *Stop) const
{
    if (m_phraseLength < 1)
        return true;
    try {
        // Letters beyond ASCII in UTF-8 are folded as characters, not as bytes.
        if (m_ignoreCase && !isAscii(m_phrase) && isValidUtf8(m_phrase))
            return FileContainsTextPhrase(FolderFd, Name, m_phrase, m_wholeWord, Stop);
        return FileContainsPhrase(FolderFd, Name, m_searchPhrase, m_phraseLength, m_wholeWord,
                                  *m_caseTable, Stop);
    } catch (...) {
        return false;
    }
}

void TSearchCriteria::Assign(const TPersistent *Source)
{
    const auto *src = dynamic_cast<const TSearchCriteria *>(Source);
    if (!src)
        return TPersistent::Assign(Source);
    m_files.Assign(&src->m_files);
    m_attribute.Assign(&src->m_attribute);
    m_timeStamp.Assign(&src->m_timeStamp);
    m_size.Assign(&src->m_size);
    m_content.Assign(&src->m_content);
}

} // namespace dm
