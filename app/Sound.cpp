#include "Sound.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibrary>

namespace dm {

namespace {

SoundHandler &handler()
{
    static SoundHandler h;
    return h;
}

using PlayFunction = void (*)(const QString &path);

// The player module, loaded at the first sound: beside the program in the
// build, in the library folder when installed. Null when neither loads.
PlayFunction player()
{
    static const PlayFunction play = [] {
        const QString here = QCoreApplication::applicationDirPath();
        for (const QString &path : {here + QStringLiteral("/dustmote-sound.so"),
                                    here + QStringLiteral("/" DUSTMOTE_SOUND_MODULE)}) {
            if (!QFileInfo(path).isFile())
                continue;
            QLibrary module(path);
            if (const auto play = reinterpret_cast<PlayFunction>(module.resolve("dustmote_play_sound")))
                return play; // the module stays loaded
        }
        return PlayFunction();
    }();
    return play;
}

} // namespace

void playSound(const QString &path)
{
    if (handler()) {
        handler()(path);
        return;
    }
    const PlayFunction play = QFileInfo(path).isFile() ? player() : nullptr;
    if (!play) {
        QApplication::beep();
        return;
    }
    play(path);
}

SoundHandler setSoundHandler(SoundHandler h)
{
    return std::exchange(handler(), std::move(h));
}

} // namespace dm
