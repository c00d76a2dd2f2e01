#pragma once
// What decides which entries a search reports: names, places and levels,
// attributes, time stamps, sizes and contents. Each part is a persistent
// object owned by one TSearchCriteria and copied with Assign; each part has
// the test that a found entry must pass.
//
// Strings are byte strings: file names and paths in the file-name encoding
// (UTF-8), the content phrase as the raw bytes looked for in a file.

#include "ByteTables.h"
#include "Persistent.h"

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace dm {

using TStringList = std::vector<std::string>;
using TDateTimeValue = double; // days since 1899-12-30, fraction = time of day

// Names, places, subfolders and levels.
class TFileCriteria : public TPersistent
{
public:
    TFileCriteria() = default;
    TFileCriteria(const TFileCriteria &) = delete;
    TFileCriteria &operator=(const TFileCriteria &) = delete;
    const char *ClassName() const override { return "TFileCriteria"; }
    void Assign(const TPersistent *Source) override;

    // Semicolon list of file-name masks.
    const std::string &FileName() const { return m_fileName; }
    void setFileName(const std::string &v) { m_fileName = v; }
    // Semicolon list of folders, each optionally prefixed "<" (this folder
    // only) or ">" (with subfolders).
    const std::string &Location() const { return m_location; }
    void setLocation(const std::string &v) { m_location = v; }
    // Lines "[<|>]folder/mask": each folder searched with its own mask.
    const TStringList &Included() const { return m_included; }
    TStringList &Included() { return m_included; }
    void setIncluded(const TStringList &v) { m_included = v; }
    // Lines "folder/mask" whose matches are never reported.
    const TStringList &Excluded() const { return m_excluded; }
    TStringList &Excluded() { return m_excluded; }
    void setExcluded(const TStringList &v) { m_excluded = v; }
    // Place masks ("folder part/name mask", PlaceMask.h), searched in every
    // folder to search besides its own masks.
    const TStringList &Places() const { return m_places; }
    void setPlaces(const TStringList &v) { m_places = v; }
    // Whether folders without a prefix are searched with their subfolders.
    bool Subfolders() const { return m_subfolders; }
    void setSubfolders(bool v) { m_subfolders = v; }
    // Lowest level whose files are reported (a target folder is level 1).
    std::uint16_t MinLevel() const { return m_minLevel; }
    void setMinLevel(std::uint16_t v) { m_minLevel = v; }
    // Level below which no subfolders are entered; 0 = no limit.
    std::uint16_t MaxLevel() const { return m_maxLevel; }
    void setMaxLevel(std::uint16_t v) { m_maxLevel = v; }

private:
    std::string m_fileName;
    std::string m_location;
    TStringList m_included;
    TStringList m_excluded;
    TStringList m_places;
    bool m_subfolders = true;
    std::uint16_t m_minLevel = 0;
    std::uint16_t m_maxLevel = 0;
};

// Elements of the attribute set, in ordinal order.
enum TFileAttribute { ffArchive, ffReadonly, ffHidden, ffSystem, ffDirectory };

// A set of TFileAttribute.
class TFileAttributes
{
public:
    constexpr TFileAttributes() = default;
    constexpr TFileAttributes(std::initializer_list<TFileAttribute> items)
    {
        for (TFileAttribute a : items)
            m_bits |= bit(a);
    }
    constexpr bool contains(TFileAttribute a) const { return m_bits & bit(a); }
    constexpr void include(TFileAttribute a) { m_bits |= bit(a); }
    constexpr void exclude(TFileAttribute a) { m_bits &= ~bit(a); }
    constexpr bool operator==(const TFileAttributes &) const = default;

private:
    static constexpr std::uint8_t bit(TFileAttribute a) { return std::uint8_t(1u << a); }
    std::uint8_t m_bits = 0;
};

// The attribute filter, kept as a mask of attribute bits.
class TAttributeCriteria : public TPersistent
{
public:
    TAttributeCriteria() = default;
    TAttributeCriteria(const TAttributeCriteria &) = delete;
    TAttributeCriteria &operator=(const TAttributeCriteria &) = delete;
    const char *ClassName() const override { return "TAttributeCriteria"; }
    void Assign(const TPersistent *Source) override;

    // The allowed (or, with ExactMatch, the required) attributes; default
    // archive, read-only, hidden and system.
    TFileAttributes Attributes() const;
    void setAttributes(TFileAttributes v);
    // The same as attribute bits (0x01 read-only ... 0x20 archive).
    std::uint32_t AttributeMask() const { return m_mask; }
    bool ExactMatch() const { return m_exactMatch; }
    void setExactMatch(bool v) { m_exactMatch = v; }

    // Attr AND 0x37 equals the mask (ExactMatch) or lies within it.
    bool Matches(std::uint32_t Attr) const;

private:
    std::uint32_t m_mask = 0x27;
    bool m_exactMatch = false;
};

// Creation, modification and access bounds; 0 = no bound. A bound without a
// time part names a whole day, one without a date part a time on any day.
class TDateTimeCriteria : public TPersistent
{
public:
    TDateTimeCriteria() = default;
    TDateTimeCriteria(const TDateTimeCriteria &) = delete;
    TDateTimeCriteria &operator=(const TDateTimeCriteria &) = delete;
    const char *ClassName() const override { return "TDateTimeCriteria"; }
    void Assign(const TPersistent *Source) override;

    TDateTimeValue CreatedBefore() const { return m_v[0]; }
    void setCreatedBefore(TDateTimeValue v) { m_v[0] = v; }
    TDateTimeValue CreatedAfter() const { return m_v[1]; }
    void setCreatedAfter(TDateTimeValue v) { m_v[1] = v; }
    TDateTimeValue ModifiedBefore() const { return m_v[2]; }
    void setModifiedBefore(TDateTimeValue v) { m_v[2] = v; }
    TDateTimeValue ModifiedAfter() const { return m_v[3]; }
    void setModifiedAfter(TDateTimeValue v) { m_v[3] = v; }
    TDateTimeValue AccessedBefore() const { return m_v[4]; }
    void setAccessedBefore(TDateTimeValue v) { m_v[4] = v; }
    TDateTimeValue AccessedAfter() const { return m_v[5]; }
    void setAccessedAfter(TDateTimeValue v) { m_v[5] = v; }

    // The three file times (100 ns since 1601, UTC) within their bounds; a
    // pair without bounds is not converted.
    bool Matches(std::int64_t Created, std::int64_t Modified, std::int64_t Accessed) const;

private:
    TDateTimeValue m_v[6] = {0, 0, 0, 0, 0, 0};
};

// Value within [After, Before] under the date-only and time-only rules.
bool IsWithinDateRange(TDateTimeValue After, TDateTimeValue Before, TDateTimeValue Value);

// Size bounds in bytes, inclusive; 0 = no bound.
class TSizeCriteria : public TPersistent
{
public:
    TSizeCriteria() = default;
    TSizeCriteria(const TSizeCriteria &) = delete;
    TSizeCriteria &operator=(const TSizeCriteria &) = delete;
    const char *ClassName() const override { return "TSizeCriteria"; }
    void Assign(const TPersistent *Source) override;

    std::uint32_t Min() const { return m_min; }
    void setMin(std::uint32_t v) { m_min = v; }
    std::uint32_t Max() const { return m_max; }
    void setMax(std::uint32_t v) { m_max = v; }

    // Compares the full 64-bit size, so a file of 5 GB never passes Max = 1000.
    bool Matches(std::uint64_t Size) const;

private:
    std::uint32_t m_min = 0;
    std::uint32_t m_max = 0;
};

// A byte sequence the file must contain.
class TContentCriteria : public TPersistent
{
public:
    TContentCriteria() = default;
    TContentCriteria(const TContentCriteria &) = delete;
    TContentCriteria &operator=(const TContentCriteria &) = delete;
    const char *ClassName() const override { return "TContentCriteria"; }
    void Assign(const TPersistent *Source) override;

    // Empty = no content test.
    const std::string &Phrase() const { return m_phrase; }
    void setPhrase(const std::string &v);
    // Compare letters of code page 1251 without regard to case (default on).
    bool IgnoreCase() const { return m_ignoreCase; }
    void setIgnoreCase(bool v);
    // The phrase must stand between word delimiters.
    bool WholeWord() const { return m_wholeWord; }
    void setWholeWord(bool v) { m_wholeWord = v; }

    // Derived: byte length of Phrase.
    std::int32_t PhraseLength() const { return m_phraseLength; }
    // Derived: Phrase as compared (folded through LowerCaseTable with IgnoreCase).
    const std::string &SearchPhrase() const { return m_searchPhrase; }
    // Derived: the table the file's bytes go through.
    const TByteTable *CaseTable() const { return m_caseTable; }

    // True without opening the file when there is no phrase; otherwise the
    // phrase scan, any failure of which gives False.
    bool Matches(const std::string &FileName) const;
    // The same for the entry Name of the open folder FolderFd, as the walk
    // finds it; the scan ends, with False, once Stop (when given) is set.
    bool Matches(int FolderFd, const std::string &Name, const std::atomic<bool> *Stop = nullptr) const;

private:
    void rebuildSearchPhrase();
    std::string m_phrase;
    std::string m_searchPhrase;
    std::int32_t m_phraseLength = 0;
    const TByteTable *m_caseTable = &LowerCaseTable();
    bool m_ignoreCase = true;
    bool m_wholeWord = false;
};

// Everything that decides what a search reports.
class TSearchCriteria : public TPersistent
{
public:
    TSearchCriteria() = default;
    TSearchCriteria(const TSearchCriteria &) = delete;
    TSearchCriteria &operator=(const TSearchCriteria &) = delete;
    const char *ClassName() const override { return "TSearchCriteria"; }
    void Assign(const TPersistent *Source) override;

    // The parts; the setters copy into the owned objects with Assign.
    TFileCriteria &Files() { return m_files; }
    const TFileCriteria &Files() const { return m_files; }
    void setFiles(const TFileCriteria &v) { m_files.Assign(&v); }
    TAttributeCriteria &Attribute() { return m_attribute; }
    const TAttributeCriteria &Attribute() const { return m_attribute; }
    void setAttribute(const TAttributeCriteria &v) { m_attribute.Assign(&v); }
    TDateTimeCriteria &TimeStamp() { return m_timeStamp; }
    const TDateTimeCriteria &TimeStamp() const { return m_timeStamp; }
    void setTimeStamp(const TDateTimeCriteria &v) { m_timeStamp.Assign(&v); }
    TSizeCriteria &Size() { return m_size; }
    const TSizeCriteria &Size() const { return m_size; }
    void setSize(const TSizeCriteria &v) { m_size.Assign(&v); }
    TContentCriteria &Content() { return m_content; }
    const TContentCriteria &Content() const { return m_content; }
    void setContent(const TContentCriteria &v) { m_content.Assign(&v); }

private:
    TFileCriteria m_files;
    TAttributeCriteria m_attribute;
    TDateTimeCriteria m_timeStamp;
    TSizeCriteria m_size;
    TContentCriteria m_content;
};

} // namespace dm
