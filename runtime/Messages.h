#pragma once
#include <QString>

namespace dm {

// The error box's rule: a full stop is appended only when the message's last
// character comes after the full stop in code page 1251 (a letter or a digit,
// but not a quote, a bracket or an exclamation mark). Characters the code page
// does not hold count by their Unicode position.
QString withFullStop(const QString &message);

// The system's description of an errno value, as error texts quote it.
QString systemErrorText(int err);

} // namespace dm
