#include "PlaceMask.h"

namespace dm {

namespace {

std::string_view namePartOf(std::string_view text)
{
    return text.substr(text.rfind('/') + 1);
}

} // namespace

PlaceMask::PlaceMask(std::string_view text)
    : m_name(namePartOf(text))
{
    const std::size_t last = text.rfind('/');
    if (last == std::string_view::npos)
        return; // a plain name mask: no folder part
    if (last + 1 == text.size())
        m_fault = Fault::NoName;
    std::string_view folder = text.substr(0, last);
    for (;;) {
        const std::size_t slash = folder.find('/');
        const std::string_view part = folder.substr(0, slash);
        if (part.empty() && m_fault == Fault::None)
            m_fault = Fault::EmptyComponent;
        if ((part == "." || part == "..") && m_fault == Fault::None)
            m_fault = Fault::DotComponent;
        if (m_parts.size() == kMaxComponents) {
            if (m_fault == Fault::None)
                m_fault = Fault::TooDeep;
            break;
        }
        if (part == "**")
            m_anyDepth |= State(1) << m_parts.size();
        m_parts.emplace_back(part);
        if (slash == std::string_view::npos)
            break;
        folder.remove_prefix(slash + 1);
    }
}

PlaceMask::State PlaceMask::close(State state) const
{
    for (std::size_t j = 0; j < m_parts.size(); ++j)
        if ((state >> j) & 1 && (m_anyDepth >> j) & 1)
            state |= State(1) << (j + 1);
    return state;
}

PlaceMask::State PlaceMask::step(State parent, std::string_view name, bool nameIsAscii) const
{
    // Position 0 always holds: the pattern may begin at any folder.
    State next = 1;
    for (std::size_t j = 0; j < m_parts.size(); ++j) {
        if (!((parent >> j) & 1))
            continue;
        if ((m_anyDepth >> j) & 1)
            next |= State(1) << j; // "**" takes this folder too
        else if (m_parts[j].matches(name, nameIsAscii))
            next |= State(1) << (j + 1);
    }
    return close(next);
}

PlaceMask::State PlaceMask::stateOf(std::string_view folder) const
{
    State state = start();
    while (!folder.empty()) {
        const std::size_t slash = folder.find('/');
        const std::string_view part = folder.substr(0, slash);
        if (!part.empty())
            state = step(state, part, isAscii(part));
        if (slash == std::string_view::npos)
            break;
        folder.remove_prefix(slash + 1);
    }
    return state;
}

bool PlaceMask::matches(std::string_view folder, std::string_view name) const
{
    return accepts(stateOf(folder)) && m_name.matches(name);
}

} // namespace dm
