#include "FoundBatch.h"

#include <algorithm>
#include <cstring>

namespace dm {

namespace {

constexpr std::size_t kNameBlock = 64 * 1024;

} // namespace

const char *NameArena::add(std::string_view bytes)
{
    if (m_blocks.empty() || m_capacity - m_used < bytes.size()) {
        const std::size_t size = std::max(kNameBlock, bytes.size());
        m_blocks.push_back(std::shared_ptr<char[]>(new char[size]));
        m_used = 0;
        m_capacity = size;
    }
    char *at = m_blocks.back().get() + m_used;
    if (!bytes.empty())
        std::memcpy(at, bytes.data(), bytes.size());
    m_used += bytes.size();
    return at;
}

void NameArena::clear()
{
    if (m_blocks.size() > 1)
        m_blocks.erase(m_blocks.begin() + 1, m_blocks.end());
    m_used = 0;
    m_capacity = m_blocks.empty() ? 0 : kNameBlock;
    if (!m_blocks.empty() && m_blocks.front().use_count() > 1)
        m_blocks.clear(); // still read elsewhere
}

void FoundBatch::addRow(std::string_view name, std::uint32_t folder, const FileVersion &version,
                        std::uint16_t type)
{
    if (m_rows == m_blocks.size() * kBlockRows)
        m_blocks.push_back(std::make_unique_for_overwrite<FoundRow[]>(kBlockRows));
    // Names longer than a row can tell are cut to what it can: no file
    // system here allows such names.
    name = name.substr(0, 0xFFFF);
    FoundRow &row = m_blocks[m_rows / kBlockRows][m_rows % kBlockRows];
    row.inode = version.inode;
    row.size = version.size;
    row.modified = version.modified;
    row.changed = version.changed;
    row.modifiedNanos = version.modifiedNanos;
    row.changedNanos = version.changedNanos;
    row.name = m_names.add(name);
    row.nameLength = std::uint16_t(name.size());
    row.folder = folder;
    row.type = type;
    ++m_rows;
}

void FoundBatch::clear()
{
    m_rows = 0;
    m_names.clear();
    m_folders.clear();
    m_folderDevices.clear();
}

} // namespace dm
