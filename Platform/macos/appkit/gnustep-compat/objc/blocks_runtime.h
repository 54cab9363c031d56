/* Used only by the Objective-C++ syntax check against GNUstep, never on a
 * Mac. GNUstep's headers ask for the blocks runtime of libobjc2; Debian's
 * GNUstep is built on GCC's libobjc, which has none. Clang only needs the
 * two entry points declared to parse block code. */
#pragma once
#ifdef __APPLE__
#error "gnustep-compat is for the syntax check on Linux only"
#endif
#ifdef __cplusplus
extern "C" {
#endif
void* _Block_copy(const void*);
void _Block_release(const void*);
#ifdef __cplusplus
}
#endif
