#pragma once
// An icon made only when first drawn or measured. A QIcon from an SVG file
// parses the file at once, and one from the icon theme reads the theme's
// index first: at start-up that was several milliseconds for images most
// starts never show (menus, the Stop button, pages not yet opened).
// Call only after the QApplication exists.

#include <QIcon>

#include <functional>

namespace dm {

// An icon that is never null and stands for make()'s icon, made on first use.
QIcon deferredIcon(std::function<QIcon()> make);

} // namespace dm
