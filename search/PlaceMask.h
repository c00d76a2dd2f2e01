#pragma once
// Catalog masks that name a place as well as a name: "a/b/**/name". The last
// component is an ordinary name mask; what stands before it is matched
// against the end of the found file's folder, component by component and
// never inside a name ("cache2/" does not match "mycache2/"), with "*" and
// "?" inside one component and "**" standing for any number of folders, none
// included. Folder names follow the name rule of NameMatch.h.
//
// The folder part is an automaton over folder names: a state is a set of
// positions in the pattern, one bit each, and entering a folder steps it
// with the folder's name. A walk keeps one state per folder and place mask
// and steps it once per folder, so a file costs nothing beyond its name mask.

#include "NameMatch.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace dm {

class PlaceMask
{
public:
    // Why a place mask can never match; None when it can.
    enum class Fault {
        None,
        EmptyComponent, // "//", or a leading "/"
        NoName,         // ends in "/"
        DotComponent,   // "." or "..": no folder is named so in a walk
        TooDeep,        // more folder components than the automaton holds
    };
    static constexpr std::size_t kMaxComponents = 63;

    // Whether a mask names a place: it holds "/".
    static bool isPlace(std::string_view mask) { return mask.find('/') != std::string_view::npos; }

    explicit PlaceMask(std::string_view text);

    Fault fault() const { return m_fault; }
    const FileMask &name() const { return m_name; }

    using State = std::uint64_t;
    // The state before any folder: nothing matched yet.
    State start() const { return close(1); }
    // The state of a folder named `name` inside a folder of state `parent`.
    State step(State parent, std::string_view name, bool nameIsAscii) const;
    // The state of a folder given by its whole path ("/" separated).
    State stateOf(std::string_view folder) const;
    // Whether the end of a folder of this state matches the folder part.
    bool accepts(State state) const { return m_fault == Fault::None && (state >> m_parts.size()) & 1; }

    // The whole test, for one file: its folder (with or without a final "/")
    // and its name.
    bool matches(std::string_view folder, std::string_view name) const;

private:
    // Adds the positions reachable past "**" components without a folder.
    State close(State state) const;

    std::vector<FileMask> m_parts;
    State m_anyDepth = 0; // bit j: component j is "**"
    FileMask m_name;
    Fault m_fault = Fault::None;
};

} // namespace dm
