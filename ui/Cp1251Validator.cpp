#include "Cp1251Validator.h"

#include "Cp1251.h"

#include <QLineEdit>
#include <QToolTip>
#include <QCoreApplication>

namespace dm {

Cp1251Validator::Cp1251Validator(QLineEdit *edit) : QValidator(edit), m_edit(edit)
{
    edit->setMaxLength(std::numeric_limits<int>::max());
}

QString Cp1251Validator::refusal(const QString &text)
{
    if (text.size() > kMaxBytes)
        return QCoreApplication::translate("Dustmote", "Текст не может быть длиннее %1 знаков.").arg(kMaxBytes);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (cp1251::fromUnicode(text[i].unicode()) >= 0)
            continue;
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        return QCoreApplication::translate("Dustmote", "Знак «%1» нельзя сохранить в списке: в кодовой странице 1251 "
                              "его нет.").arg(text.mid(i, length));
    }
    return {};
}

QValidator::State Cp1251Validator::validate(QString &input, int &) const
{
    const QString why = refusal(input);
    if (why.isEmpty())
        return Acceptable;
    if (m_edit->isVisible())
        QToolTip::showText(m_edit->mapToGlobal(QPoint(0, m_edit->height())), why, m_edit);
    return Invalid;
}

void restrictToCp1251(QLineEdit *edit)
{
    edit->setValidator(new Cp1251Validator(edit));
}

} // namespace dm
