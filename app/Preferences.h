#pragma once
// The user's choices kept in the settings store under the program's key.

namespace dm {

// "Удалять в Корзину": off when never chosen or unreadable.
bool ReadDeleteToTrash();
// False when it could not be stored.
bool WriteDeleteToTrash(bool on);

} // namespace dm
