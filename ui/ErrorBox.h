#pragma once
// The application's default error handling: an error that leaves a handler ends
// in one box (the message with the full-stop rule, the application title, the
// stop icon, one OK button) and never crosses the Qt event loop.

#include <QString>
#include <functional>
#include <type_traits>
#include <utility>

class QWidget;

namespace dm {

void showErrorBox(const QString &message, QWidget *owner = nullptr);

// Runs fn; any exception it throws is shown in the error box. Returns false
// when fn threw.
bool runGuarded(const std::function<void()> &fn);

// Wraps a handler for QObject::connect so that its exceptions end in the box:
//   connect(action, &QAction::triggered, this, guarded([this] { Action1Execute(); }));
template <class F>
auto guarded(F fn)
{
    // Constrained so that Qt's argument-count probe picks as many of the
    // signal's arguments as fn takes.
    return [fn = std::move(fn)](auto &&...args) -> void
        requires std::is_invocable_v<const F &, decltype(args)...>
    {
        runGuarded([&] { fn(args...); });
    };
}

} // namespace dm
