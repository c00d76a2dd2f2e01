#include "Messages.h"

#include "Cp1251.h"

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
    return QString::fromLocal8Bit(std::strerror(err));
}

} // namespace dm
