#pragma once
// Icons of the shell folder tree as a file manager draws them: the icon
// theme's images by name, the style's stock images where the theme has none,
// a link arrow over links and a ghosted image for hidden folders.

#include <QIcon>
#include <QStringList>

namespace dm {

/// The first of `names` the icon theme has, else the style's stock image of
/// the same kind (desktop, computer, home, folder, drive); with a link arrow
/// over its lower left corner when `link`, half transparent when `dimmed`.
/// Built once per combination and kept.
QIcon shellIcon(const QStringList &names, bool link = false, bool dimmed = false);

} // namespace dm
