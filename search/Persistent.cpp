#include "Persistent.h"

#include "Exception.h"

namespace dm {

void TPersistent::Assign(const TPersistent *Source)
{
    const char *from = Source ? Source->ClassName() : "nil";
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2")
                            .arg(QString::fromLatin1(from), QString::fromLatin1(ClassName())));
}

} // namespace dm
