#include "ErrorBox.h"

#include "Exception.h"
#include "MessageBox.h"
#include "ErrorTexts.h"

#include <QApplication>
#include <QCoreApplication>

namespace dm {

void showErrorBox(const QString &message, QWidget *owner)
{
    if (!owner)
        owner = QApplication::activeWindow();
    messageBox({owner, QString::fromUtf16(kApplicationTitle), withFullStop(message),
                QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok});
}

bool runGuarded(const std::function<void()> &fn)
{
    try {
        fn();
        return true;
    } catch (const Exception &e) {
        showErrorBox(e.message());
    } catch (const std::exception &e) {
        showErrorBox(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showErrorBox(QCoreApplication::translate("Dustmote", "Неизвестная ошибка"));
    }
    return false;
}

} // namespace dm
