#pragma once
// The user's choices kept in the settings store under the program's key.

namespace dm {

// "Удалять в Корзину": off when never chosen or unreadable.
bool ReadDeleteToTrash();
// False when it could not be stored.
bool WriteDeleteToTrash(bool on);

// The longest age limit offered, in days (a hundred years).
inline constexpr int kMaxAgeLimitDays = 36500;
// "Только файлы старше": the days, 0 (any age) when never chosen or unreadable.
int ReadAgeLimitDays();
// False when it could not be stored.
bool WriteAgeLimitDays(int days);

} // namespace dm
