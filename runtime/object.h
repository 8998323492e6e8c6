// Object, the root of every collected framework and game class, and ThrowableObject, the
// class application code may throw. Everything above the runtime derives from these.
#pragma once
#include "runtime/gc.h"
#include "runtime/string.h"

class Object : public gc_object {
 public:
  virtual bool Equals(Object* other);
  virtual int Compare(Object* other);
  virtual String debug();
};

class ThrowableObject : public Object {};
