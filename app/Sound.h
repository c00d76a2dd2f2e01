#pragma once
// A short sound, played without waiting. Where it cannot be played (no audio
// output, a missing or unreadable file) the desktop's bell stands in; nothing
// is reported.

#include <QString>
#include <functional>

namespace dm {

void playSound(const QString &path);

// Replaces the player (tests); an empty handler restores it.
using SoundHandler = std::function<void(const QString &path)>;
SoundHandler setSoundHandler(SoundHandler handler);

} // namespace dm
