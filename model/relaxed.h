// A scalar that more than one thread reads and writes. Every load and store
// goes through std::atomic_ref with relaxed order: each access is whole (no
// torn double, no data race), and the last store wins, which is all the
// model needs, since every refresh recomputes the surface from it. The
// wrapper holds a plain T, so records made of it stay trivially copyable and
// standard-layout and can live in fixed arrays.
//
// Copying one Relaxed into another is not allowed: `a = b` and `auto x = b`
// would be a plain, racy access. Convert to T first (`T x = b;`).
#pragma once

#include <atomic>
#include <type_traits>

template <typename T>
struct Relaxed {
    static_assert(std::is_trivially_copyable_v<T>, "a Relaxed field holds a plain scalar");

    alignas(std::atomic_ref<T>::required_alignment) T value;

    Relaxed() = default;
    constexpr Relaxed(T v) : value(v) {}
    Relaxed(const Relaxed&) = delete;
    Relaxed& operator=(const Relaxed&) = delete;
    // Keeps the records trivially copyable (a whole record may be copied
    // while no other thread runs, as the tests do); never used on live data.
    Relaxed(Relaxed&&) = default;

    T load() const
    {
        return std::atomic_ref<T>(const_cast<T&>(value)).load(std::memory_order_relaxed);
    }
    void store(T v) { std::atomic_ref<T>(value).store(v, std::memory_order_relaxed); }

    operator T() const { return load(); }
    // Returns the value, as std::atomic does, so that a = b = 0 chains.
    T operator=(T v)
    {
        store(v);
        return v;
    }

    // Read-modify-write is one load and one store, as in the plain code it
    // replaces: of two writers at once, the last store wins.
    T operator+=(T d)
    {
        T next = static_cast<T>(load() + d);
        store(next);
        return next;
    }
    T operator-=(T d)
    {
        T next = static_cast<T>(load() - d);
        store(next);
        return next;
    }
    T operator|=(T d)
    {
        T next = static_cast<T>(load() | d);
        store(next);
        return next;
    }
    T operator&=(T d)
    {
        T next = static_cast<T>(load() & d);
        store(next);
        return next;
    }
    T operator++() { return *this += T(1); }
    T operator--() { return *this -= T(1); }
    T operator++(int)
    {
        T old = load();
        store(static_cast<T>(old + 1));
        return old;
    }
    T operator--(int)
    {
        T old = load();
        store(static_cast<T>(old - 1));
        return old;
    }
};

static_assert(std::is_trivially_copyable_v<Relaxed<double>>);
static_assert(std::is_standard_layout_v<Relaxed<double>>);
