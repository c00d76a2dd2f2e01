#include "Sound.h"

#include "ErrorBox.h"

#include <QApplication>
#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>

namespace dm {

namespace {

SoundHandler &handler()
{
    static SoundHandler h;
    return h;
}

QSoundEffect *effect()
{
    static QPointer<QSoundEffect> e;
    if (!e) {
        e = new QSoundEffect(qApp);
        QObject::connect(e, &QSoundEffect::statusChanged, e, dm::guarded([] {
            if (e->status() == QSoundEffect::Error)
                QApplication::beep();
        }));
    }
    return e;
}

} // namespace

void playSound(const QString &path)
{
    if (handler()) {
        handler()(path);
        return;
    }
    if (!QFileInfo(path).isFile() || QMediaDevices::audioOutputs().isEmpty()) {
        QApplication::beep();
        return;
    }
    QSoundEffect *sound = effect();
    const QUrl source = QUrl::fromLocalFile(path);
    if (sound->source() != source)
        sound->setSource(source); // loads in the background and plays once loaded
    sound->play();
}

SoundHandler setSoundHandler(SoundHandler h)
{
    return std::exchange(handler(), std::move(h));
}

} // namespace dm
