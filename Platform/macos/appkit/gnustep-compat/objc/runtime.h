/* Used only by the Objective-C++ syntax check against GNUstep, never on a
 * Mac. GCC's runtime header defines object_getClass() by reading the object's
 * first field through `id`, which clang (whose `id` is a built-in type)
 * refuses. The definition is renamed to take the plain structure pointer,
 * and object_getClass() is declared again over it. */
#pragma once
#ifdef __APPLE__
#error "gnustep-compat is for the syntax check on Linux only"
#endif
#define object_getClass(declaration) quillo_gcc_object_getClass(struct objc_object* object)
#include_next <objc/runtime.h>
#undef object_getClass
static inline Class object_getClass(id object) {
  return object ? quillo_gcc_object_getClass((__bridge struct objc_object*)object) : Nil;
}
