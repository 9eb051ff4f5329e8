// The commands' slots: actions, buttons, timers and the windows' own handlers run their bodies here,
// so an error they raise is reported before control returns into Qt, whose frames run no cleanups
// for it (guards leak, a menu bar stops reporting its actions).
#pragma once

#include "Application.h"

#include <QObject>
#include <cstddef>
#include <functional>
#include <tuple>
#include <type_traits>
#include <utility>

namespace vxt {

// Runs `body`, reporting what it raises as the application does; false when it raised.
template <typename F>
bool RunCommand(F &&body)
{
    try {
        std::forward<F>(body)();
        return true;
    } catch (...) {
        ReportRaisedError(std::current_exception());
    }
    return false;
}

namespace detail {

template <typename F, typename Tuple, typename Seq>
struct TakesLeading;
template <typename F, typename Tuple, std::size_t... I>
struct TakesLeading<F, Tuple, std::index_sequence<I...>> : std::is_invocable<F &, std::tuple_element_t<I, Tuple>...> {};

// Calls `f` with as many of the leading arguments as it takes, as Qt does with a slot.
template <std::size_t N, typename F, typename Tuple>
void InvokeLeading(F &f, Tuple &&args)
{
    if constexpr (TakesLeading<F, Tuple, std::make_index_sequence<N>>::value) {
        [&]<std::size_t... I>(std::index_sequence<I...>) {
            std::invoke(f, std::get<I>(std::forward<Tuple>(args))...);
        }(std::make_index_sequence<N>{});
    } else {
        static_assert(N > 0, "the slot cannot be called with the signal's arguments");
        if constexpr (N > 0) InvokeLeading<N - 1>(f, std::forward<Tuple>(args));
    }
}

template <typename Receiver, typename Member>
struct MemberSlot {
    Receiver *receiver;
    Member member;
    template <typename... A>
    auto operator()(A &&...a) const -> decltype(std::invoke(member, receiver, std::forward<A>(a)...))
    {
        return std::invoke(member, receiver, std::forward<A>(a)...);
    }
};

}  // namespace detail

// A slot that runs `slot` as a command (see RunCommand).
template <typename Slot>
auto CommandSlot(Slot slot)
{
    return [slot = std::move(slot)](auto &&...args) mutable {
        RunCommand([&] { detail::InvokeLeading<sizeof...(args)>(slot, std::forward_as_tuple(args...)); });
    };
}
template <typename Receiver, typename Member>
    requires std::is_member_function_pointer_v<Member>
auto CommandSlot(Receiver *receiver, Member member)
{
    return CommandSlot(detail::MemberSlot<Receiver, Member>{receiver, member});
}

// connect() for a command: the signal of an action, a button or a timer to a window's handler.
template <typename Sender, typename Signal, typename Slot>
    requires(!std::is_member_function_pointer_v<Slot>)
QMetaObject::Connection ConnectCommand(const Sender *sender, Signal signal, const QObject *context, Slot slot)
{
    return QObject::connect(sender, signal, context, CommandSlot(std::move(slot)));
}
template <typename Sender, typename Signal, typename Receiver, typename Member>
    requires std::is_member_function_pointer_v<Member>
QMetaObject::Connection ConnectCommand(const Sender *sender, Signal signal, Receiver *receiver, Member member)
{
    return QObject::connect(sender, signal, receiver, CommandSlot(receiver, member));
}

}  // namespace vxt
