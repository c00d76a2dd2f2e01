#include "ErrorTexts.h"

#include "Cp1251.h"

#include <cerrno>
#include <cstring>

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
        return QStringLiteral("нет прав доступа");
    case EROFS:
        return QStringLiteral("файловая система доступна только для чтения");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("занято системой или другой программой");
    case ENOENT:
        return QStringLiteral("файл или папка не найдены");
    case EEXIST:
        return QStringLiteral("файл или папка с таким именем уже есть");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("на диске нет места");
    case ENAMETOOLONG:
        return QStringLiteral("слишком длинное имя");
    case ENOTDIR:
        return QStringLiteral("часть пути не является папкой");
    case EISDIR:
        return QStringLiteral("это папка");
    case EFBIG:
        return QStringLiteral("файл слишком велик");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("открыто слишком много файлов");
    case ELOOP:
        return QStringLiteral("на пути слишком много ссылок");
    case EIO:
        return QStringLiteral("ошибка ввода-вывода");
    default:
        return libraryErrorText(err);
    }
}

QString libraryErrorText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

} // namespace dm
