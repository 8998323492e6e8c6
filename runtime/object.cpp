// Identity semantics of the root class; subclasses override what they compare by value. Also
// answers the debugger's '@' command (runtime/fatal.h) with an object's debug() text.
#include "runtime/object.h"

#include <functional>
#include <string>

#include "runtime/fatal.h"

namespace {
const char* ObjectText(void* object) {
  static std::string text;
  text = static_cast<Object*>(object)->debug().ToUtf8();
  return text.c_str();
}

// Installed before main in every program that has objects (their class's code is this file).
struct InstallObjectText {
  InstallObjectText() { vgSetObjectText(ObjectText); }
} install_object_text;
}  // namespace

bool Object::Equals(Object* other) { return this == other; }

// Only the sign counts; compare the addresses instead of narrowing their 64-bit difference,
// which would give the wrong sign for objects more than 2 GiB apart.
int Object::Compare(Object* other) {
  if (std::less<Object*>()(this, other)) return -1;
  return this == other ? 0 : 1;
}

String Object::debug() { return String("+Object\n"); }
