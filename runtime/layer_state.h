#pragma once
// What a lower layer keeps while the program runs (its windows, hot keys, pictures...) is a
// struct of that layer; the program owns one of each in its own state and binds it once with
// BindLayerState. A layer reaches its struct with LayerState<T>(); before the binding (code that
// runs first, or a test without the program) it gets a default of its own.

namespace kelvra {

namespace detail {
template <typename T>
inline T* g_boundLayerState = nullptr;
}  // namespace detail

template <typename T>
void BindLayerState(T* state) {
    detail::g_boundLayerState<T> = state;
}

template <typename T>
T& LayerState() {
    static T unbound;
    T* bound = detail::g_boundLayerState<T>;
    return bound != nullptr ? *bound : unbound;
}

}  // namespace kelvra
