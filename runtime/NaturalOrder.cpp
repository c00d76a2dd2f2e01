#include "NaturalOrder.h"

#include <QLocale>

namespace dm {

QCollator naturalCollator()
{
    QCollator collator;
    if (QLocale().language() == QLocale::C)
        collator = QCollator(QLocale(QLocale::English));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

} // namespace dm
