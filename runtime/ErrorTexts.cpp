#include "ErrorTexts.h"

#include "Cp1251.h"

#include <cerrno>
#include <cstring>
#include <QCoreApplication>

namespace dm {

QString withFullStop(const QString &message)
{
    if (message.isEmpty())
        return message;
    const char16_t last = message.back().unicode();
    const int code = cp1251::fromUnicode(last);
    if ((code < 0 ? int(last) : code) > '.')
        return message + u'.';
    return message;
}

QString systemErrorText(int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
        return QCoreApplication::translate("Dustmote", "нет прав доступа");
    case EROFS:
        return QCoreApplication::translate("Dustmote", "файловая система доступна только для чтения");
    case EBUSY:
    case ETXTBSY:
        return QCoreApplication::translate("Dustmote", "занято системой или другой программой");
    case ENOENT:
        return QCoreApplication::translate("Dustmote", "файл или папка не найдены");
    case EEXIST:
        return QCoreApplication::translate("Dustmote", "файл или папка с таким именем уже есть");
    case ENOSPC:
    case EDQUOT:
        return QCoreApplication::translate("Dustmote", "на диске нет места");
    case ENAMETOOLONG:
        return QCoreApplication::translate("Dustmote", "слишком длинное имя");
    case ENOTDIR:
        return QCoreApplication::translate("Dustmote", "часть пути не является папкой");
    case EISDIR:
        return QCoreApplication::translate("Dustmote", "это папка");
    case EFBIG:
        return QCoreApplication::translate("Dustmote", "файл слишком велик");
    case EMFILE:
    case ENFILE:
        return QCoreApplication::translate("Dustmote", "открыто слишком много файлов");
    case ELOOP:
        return QCoreApplication::translate("Dustmote", "на пути слишком много ссылок");
    case EIO:
        return QCoreApplication::translate("Dustmote", "ошибка ввода-вывода");
    default:
        return libraryErrorText(err);
    }
}

QString libraryErrorText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

} // namespace dm
