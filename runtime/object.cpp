// Identity semantics of the root class; subclasses override what they compare by value.
#include "runtime/object.h"

#include <functional>

bool Object::Equals(Object* other) { return this == other; }

// Only the sign counts; compare the addresses instead of narrowing their 64-bit difference,
// which would give the wrong sign for objects more than 2 GiB apart.
int Object::Compare(Object* other) {
  if (std::less<Object*>()(this, other)) return -1;
  return this == other ? 0 : 1;
}

String Object::debug() { return String("+Object\n"); }
