#include "MessageBox.h"

#include <QApplication>
#include <QCoreApplication>

namespace dm {
namespace {

MessageHandler &handler()
{
    static MessageHandler h;
    return h;
}

} // namespace

QMessageBox::StandardButton messageBox(const MessageRequest &request)
{
    if (handler())
        return handler()(request);
    // An owner hidden in the tray would take the box out of sight with it:
    // then the box stands alone, centred on the screen and in front.
    const bool ownerShown = request.owner && request.owner->isVisible() && !request.owner->isMinimized();
    QMessageBox box(request.icon, request.title, request.text, request.buttons,
                    ownerShown ? request.owner : nullptr);
    if (!ownerShown)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    if (request.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(request.defaultButton);
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(request.informative);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton errorDialog(QWidget *owner, const QString &text,
                                        QMessageBox::StandardButtons buttons)
{
    return messageBox({owner, QCoreApplication::translate("Dustmote", "Ошибка"), text, QMessageBox::Critical, buttons});
}

MessageHandler setMessageHandler(MessageHandler h)
{
    return std::exchange(handler(), std::move(h));
}

} // namespace dm
