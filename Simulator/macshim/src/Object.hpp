// Object: what every MacShim reference points at — a type id, a real retain
// count, and an entry in the table of live objects.
//
// The table is how the shim stays honest about ownership: a reference that
// is not in it (released too often, or never created) makes the call abort
// with a message naming the call, instead of reading freed memory; an object
// whose owner forgets CFRelease stays allocated, and LeakSanitizer reports
// it. Constants (kCFBooleanTrue, the run-loop modes, …) are immortal:
// retaining and releasing them does nothing, as with Apple's. Main thread
// only, like the adapters that use it.
#pragma once

#include <cstddef>
#include <cstdlib>

#include "MacShim/CoreFoundation.h"

namespace quillo::macshim {

/// The CF type ids the shim hands out; any distinct numbers will do.
enum TypeID : CFTypeID {
  stringType = 7,
  arrayType,
  booleanType,
  numberType,
  dataType,
  dictionaryType,
  runLoopType,
  runLoopSourceType,
  machPortType,
  eventType,
  eventSourceType,
  axElementType,
  axValueType,
  inputSourceType,
};

class Object {
 public:
  explicit Object(CFTypeID type, bool immortal = false);
  virtual ~Object();
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  /// CFEqual and CFHash: identity unless a type says otherwise.
  virtual bool equals(const Object& other) const { return this == &other; }
  virtual CFHashCode hash() const { return reinterpret_cast<CFHashCode>(this); }

  CFTypeID type() const { return type_; }
  bool immortal() const { return immortal_; }
  CFIndex retainCount = 1;

 private:
  CFTypeID type_;
  bool immortal_;
};

/// Stops the program with "macshim: {call}: {problem}".
[[noreturn]] void fail(const char* call, const char* problem);

/// The live object a reference stands for; aborts when there is none, or
/// when it is not of `type` (0: any type).
Object& live(CFTypeRef reference, const char* call, CFTypeID type = 0);

template <class T>
T& live(CFTypeRef reference, const char* call, CFTypeID type) {
  return static_cast<T&>(live(reference, call, type));
}

/// Objects alive now that are not constants.
std::size_t liveObjectCount();

}  // namespace quillo::macshim
