#pragma once
// The element sizes that bad-index reports give, in bytes, as the program's
// stored layout has them (not sizeof on this machine). A type states its own
// size inside its definition, in a public part:
//
//   class cEdBlock : public cRecord {
//    public:
//     PLAYER_ELEMENT_SIZE(cEdBlock, 124);
//     ...
//
// A type that states nothing reports its sizeof; so does a class derived
// from one that states a size (a statement belongs to its own type only).
// Pointers report 4 bytes, strings and vectors the 16 bytes of their header.

#include <string>
#include <type_traits>

template <class Owner, int nBytes>
struct StatedElementSize {};

#define PLAYER_ELEMENT_SIZE(Type, nBytes) \
  using ElementSizeStatement = StatedElementSize<Type, nBytes>

namespace element_sizes_detail {

// Only T's own statement counts: one inherited from a base names the base.
template <class T, class Statement>
struct OwnStatement : std::integral_constant<int, static_cast<int>(sizeof(T))> {};
template <class T, int nBytes>
struct OwnStatement<T, StatedElementSize<T, nBytes>> : std::integral_constant<int, nBytes> {};

template <class T>
constexpr int SizeOf() {
  if constexpr (requires { typename T::ElementSizeStatement; })
    return OwnStatement<T, typename T::ElementSizeStatement>::value;
  else
    return static_cast<int>(sizeof(T));
}

}  // namespace element_sizes_detail

template <class T>
struct ReportedElementSize : std::integral_constant<int, element_sizes_detail::SizeOf<T>()> {};
template <class T>
struct ReportedElementSize<T*> : std::integral_constant<int, 4> {};
template <>
struct ReportedElementSize<std::string> : std::integral_constant<int, 16> {};

// Element types of the program that no subsystem defines yet: each moves into
// its definition (PLAYER_ELEMENT_SIZE) when its subsystem adds it.
struct EXPRITEM;
template <>
struct ReportedElementSize<EXPRITEM> : std::integral_constant<int, 40> {};
