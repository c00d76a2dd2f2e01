#include "GioLazy.h"

#include <QLibrary>
#include <QtGlobal>

namespace dm::gio {

void *symbol(const char *name)
{
    static QLibrary *const library = [] {
        auto *gio = new QLibrary(QStringLiteral("gio-2.0"), 0); // kept loaded to the end
        if (!gio->load())
            qFatal("dustmote: GIO could not be loaded: %s", qPrintable(gio->errorString()));
        return gio;
    }();
    const QFunctionPointer function = library->resolve(name);
    if (!function)
        qFatal("dustmote: GIO has no %s", name);
    return reinterpret_cast<void *>(function);
}

} // namespace dm::gio
