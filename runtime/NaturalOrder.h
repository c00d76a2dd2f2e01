#pragma once
// The order people expect of names in a list or a tree: the locale's
// collation, letters without regard to case, numbers by value ("2" before
// "10").

#include <QCollator>

namespace dm {

// The locale's collation, or English where the locale is C or POSIX, whose
// own compares code points only; case ignored, numbers by value.
QCollator naturalCollator();

} // namespace dm
