// Forms of clear, sound, i2hs and drawbmp for plain int arguments, which the library's own
// overloads leave ambiguous: a literal 0 is a null bitmap as much as a colour or a position,
// and 200 fits unsigned long and double alike. Each form converts and calls the facade
// function the call means, so it reaches the same entry with the same values. Included by
// facade.h after the functions it calls; C++11. Also the typed forms of the functions that
// take a procedure.
#if defined(QUIB_FACADE_AGAIN) ? !defined(QUIB_OVERLOADS_IN_QUIB) \
                               : !defined(QUIB_FACADE_OVERLOADS_H)
#ifdef QUIB_FACADE_AGAIN
#define QUIB_OVERLOADS_IN_QUIB
#else
#define QUIB_FACADE_OVERLOADS_H
#endif

#include <type_traits>

namespace quib_detail {

// Whether every type is an integer type (bool and the character types included).
template <typename... T>
struct allint : std::true_type {};
template <typename T, typename... R>
struct allint<T, R...>
    : std::integral_constant<bool, std::is_integral<T>::value && allint<R...>::value> {};

template <bool B>
using when = typename std::enable_if<B, int>::type;

}  // namespace quib_detail

// clear(0), clear(0x336699): paints the window's picture in that colour, as clear(0x336699UL).
// An unsigned long argument still takes the function of the table itself.
template <typename T, quib_detail::when<std::is_integral<T>::value> = 0>
inline void clear(T colour) {
  clear(static_cast<unsigned long>(colour));
}

// sound(440, 200): a beep of 440 Hz for 200 milliseconds; a floating-point length
// (sound(440, 0.2)) still takes the form in seconds.
template <typename F, typename T, quib_detail::when<quib_detail::allint<F, T>::value> = 0>
inline void sound(F freq, T ms) {
  sound(static_cast<unsigned long>(freq), static_cast<unsigned long>(ms));
}

// i2hs(5), i2hs(n): the hex text of the whole number ("5", "FF", "1000"), as i2hs(5UL). A
// byte (unsigned char, char, signed char) gives its two digits ("05"), as
// i2hs((unsigned char)5): a narrower form would drop digits of a larger number.
template <typename T, quib_detail::when<std::is_integral<T>::value && (sizeof(T) > 1)> = 0>
inline mystring i2hs(T n) {
  return i2hs(static_cast<unsigned long>(n));
}
template <typename T, quib_detail::when<std::is_integral<T>::value && sizeof(T) == 1 &&
                                        !std::is_same<T, unsigned char>::value> = 0>
inline mystring i2hs(T byte) {
  return i2hs(static_cast<unsigned char>(byte));
}

// drawbmp(src, 0, 0) and any call whose number places are plain ints: src onto the window,
// as drawbmp(src, 0UL, 0UL). A literal 0 after src is a position, never a null bitmap.
template <typename... I, quib_detail::when<quib_detail::allint<I...>::value &&
                                           (sizeof...(I) >= 1 && sizeof...(I) <= 9)> = 0>
inline void drawbmp(bitmap* src, I... a) {
  drawbmp(src, static_cast<unsigned long>(a)...);
}
// drawbmp(0, 0), drawbmp(10, 20, 64, 64): the bitmap made last, onto the window.
template <typename... I, quib_detail::when<quib_detail::allint<I...>::value &&
                                           (sizeof...(I) >= 1 && sizeof...(I) <= 9)> = 0>
inline void drawbmp(I... a) {
  drawbmp(static_cast<unsigned long>(a)...);
}

// newthread(worker), setdrawprocedure(paint): an ordinary function `void f()`, or a lambda
// without captures, with no cast to void*. A null pointer still takes the void* form. For a
// procedure that gets a pointer of yours, newthread(fn, user) takes `void fn(void*)`.
// (Templates, so that 0 and nullptr keep meaning the void* form instead of becoming
// ambiguous with it.)
template <typename F, quib_detail::when<std::is_convertible<F, void (*)()>::value &&
                                        !std::is_same<F, decltype(nullptr)>::value> = 0>
inline unsigned long newthread(F proc) {
  return newthread(reinterpret_cast<void*>(static_cast<void (*)()>(proc)));
}
template <typename F, quib_detail::when<std::is_convertible<F, void (*)()>::value &&
                                        !std::is_same<F, decltype(nullptr)>::value> = 0>
inline void setdrawprocedure(F proc) {
  setdrawprocedure(reinterpret_cast<void*>(static_cast<void (*)()>(proc)));
}

// drawsprite(ship, {.x = 400, .y = 300, .degrees = 30}): the sprite's fields by name (C++20),
// or {x, y, degrees, ...} in order; onto the window, or with a bitmap first onto that bitmap.
inline void drawsprite(bitmap* src, disp_sprite const& how) { disp_drawspriteonwin(src, &how); }
inline void drawsprite(bitmap* dest, bitmap* src, disp_sprite const& how) {
  disp_drawsprite(dest, src, &how);
}

#endif
