// Building blocks for unit types' descriptors (the standard units and the extended ones): property
// tables by kind (the common properties 0-7 first) and event tables by argument count. Names stay
// empty: the engine and the game know properties and events by number only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/units/unit_contract.h"

namespace vorenn {

constexpr PropertyDescriptor PropertyOfKind(uint16_t kind) { return {"", "", "", kind, 0, 0}; }

constexpr uint16_t kCommonPropertyKinds[8] = {kKindInteger, kKindInteger, kKindInteger, kKindInteger,
                                              kKindText,    kKindLogical, kKindLogical, kKindPointer};

// The full table: common properties, then the type's own kinds from index 8.
template <size_t N>
constexpr std::array<PropertyDescriptor, N + 8> PropertyTable(const uint16_t (&own)[N]) {
  std::array<PropertyDescriptor, N + 8> table{};
  for (size_t i = 0; i < 8; ++i) table[i] = PropertyOfKind(kCommonPropertyKinds[i]);
  for (size_t i = 0; i < N; ++i) table[i + 8] = PropertyOfKind(own[i]);
  return table;
}

// Events 0 .. N-1 with their argument counts.
template <size_t N>
constexpr std::array<EventDescriptor, N> EventTable(const int (&argumentCounts)[N]) {
  std::array<EventDescriptor, N> table{};
  for (size_t i = 0; i < N; ++i) table[i] = EventDescriptor{"", "", 0, argumentCounts[i]};
  return table;
}

template <size_t P, size_t E>
constexpr TypeDescriptor UnitTypeDescriptorOf(const char* englishName, uint32_t state,
                                              const std::array<PropertyDescriptor, P>& properties,
                                              const std::array<EventDescriptor, E>& events,
                                              TypeInterfaceFn interface) {
  return TypeDescriptor{englishName, englishName, "", 0, nullptr, state, 0, int(E), events.data(),
                        int(P), properties.data(), interface, 0, nullptr};
}

}  // namespace vorenn
