// Symbol visibility of the QuilloCore shared library.
//
// The library is built with hidden visibility; only declarations marked
// QUILLO_CORE_EXPORT form its public interface. Exception types thrown across
// the library boundary must be exported too, so that their type information is
// shared with the program that catches them.
#pragma once

#if defined(__GNUC__) || defined(__clang__)
#define QUILLO_CORE_EXPORT __attribute__((visibility("default")))
#else
#define QUILLO_CORE_EXPORT
#endif
