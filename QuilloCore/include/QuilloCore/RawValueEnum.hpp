// Enumerations whose cases have a string raw value equal to the case name.
//
// An enumeration opts in by specialising EnumRawValues<E> with a `values`
// array listing the raw values in declaration order. It then gets
// rawValue(e), fromRawValue<E>(text) (exact, case-sensitive) and
// allCases<E>() in declaration order. Everything here is constexpr, allocates
// nothing and is safe from any thread.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace quillo {

template <class E>
struct EnumRawValues;  // static constexpr std::array<std::string_view, N> values;

template <class E>
constexpr std::size_t caseCount() noexcept {
  return EnumRawValues<E>::values.size();
}

template <class E>
constexpr std::string_view rawValue(E value) noexcept {
  const auto index = static_cast<std::size_t>(value);
  return index < caseCount<E>() ? EnumRawValues<E>::values[index] : std::string_view{};
}

template <class E>
constexpr std::optional<E> fromRawValue(std::string_view text) noexcept {
  for (std::size_t i = 0; i < caseCount<E>(); ++i) {
    if (EnumRawValues<E>::values[i] == text) return static_cast<E>(i);
  }
  return std::nullopt;
}

template <class E>
constexpr std::array<E, EnumRawValues<E>::values.size()> allCases() noexcept {
  std::array<E, EnumRawValues<E>::values.size()> cases{};
  for (std::size_t i = 0; i < cases.size(); ++i)
    cases[i] = static_cast<E>(i);
  return cases;
}

}  // namespace quillo
