// The module's one entry: plays a sound file once, without waiting. Where it
// cannot be played (no audio output, a file the player cannot read) the
// desktop's bell stands in.

#include <QApplication>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>

namespace {

QSoundEffect *effect()
{
    static QPointer<QSoundEffect> e;
    if (!e) {
        e = new QSoundEffect(qApp);
        QObject::connect(e, &QSoundEffect::statusChanged, e, [] {
            if (e->status() == QSoundEffect::Error)
                QApplication::beep();
        });
    }
    return e;
}

} // namespace

extern "C" Q_DECL_EXPORT void dustmote_play_sound(const QString &path)
{
    if (QMediaDevices::audioOutputs().isEmpty()) {
        QApplication::beep();
        return;
    }
    QSoundEffect *sound = effect();
    const QUrl source = QUrl::fromLocalFile(path);
    if (sound->source() != source)
        sound->setSource(source); // loads in the background and plays once loaded
    sound->play();
}
