#pragma once
// The general error handler: the one place where an error that escaped an
// event handler becomes a message box. Every handler connected to a widget,
// timer or menu runs through Guard, so no exception ever unwinds through
// Qt's event loop; the failed event is abandoned and the program goes on.
// Headless, like the rest of the session: the desktop's application object,
// which sends every event through Guard, is in app/GuardedApplication.h.
#include <concepts>
#include <functional>
#include <utility>

// Runs the handler; an error escaping it is shown with its text. Returns
// false when the handler failed.
bool Guard(const std::function<void()>& handler) noexcept;

// A handler for connect(): the slot runs it through Guard. It takes only
// the arguments the handler takes, as Qt expects of a functor.
template <typename F> struct GuardedSlot {
    F handler;
    template <typename... A>
    requires std::invocable<F&, A...>
    void operator()(A&&... args) {
        Guard([&] { handler(std::forward<A>(args)...); });
    }
};

template <typename F> GuardedSlot<F> Guarded(F handler) {
    return GuardedSlot<F>{std::move(handler)};
}
