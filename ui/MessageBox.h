#pragma once
// Every message box of the program goes through messageBox(), so that tests can
// see what would be shown and answer it without a modal loop.

#include <QMessageBox>
#include <QString>
#include <functional>

namespace dm {

struct MessageRequest
{
    QWidget *owner = nullptr;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    // Shown under the text, smaller; none when empty.
    QString informative = {};
};

using MessageHandler = std::function<QMessageBox::StandardButton(const MessageRequest &)>;

// Shows the box modally (or hands it to the installed handler) and returns the
// button that closed it.
QMessageBox::StandardButton messageBox(const MessageRequest &request);

// The toolkit's message dialog of the error kind: its standard caption
// "Error", the error icon and the given buttons with their standard captions.
QMessageBox::StandardButton errorDialog(QWidget *owner, const QString &text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);

// Replaces the modal box; an empty handler restores it. Returns the old one.
MessageHandler setMessageHandler(MessageHandler handler);

// The application title: the taskbar entry's and the error box's caption.
inline constexpr char16_t kApplicationTitle[] = u"Dustmote";

} // namespace dm
