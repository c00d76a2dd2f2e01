#include "Shell.h"

#include <QDesktopServices>

namespace dm {
namespace {

ShellHandler &handler()
{
    static ShellHandler h;
    return h;
}

} // namespace

bool shellOpen(const QUrl &url)
{
    return handler() ? handler()(url) : QDesktopServices::openUrl(url);
}

ShellHandler setShellHandler(ShellHandler h)
{
    return std::exchange(handler(), std::move(h));
}

} // namespace dm
