// Lets GoogleTest show String values as text in failure messages.
#pragma once
#include <ostream>

#include "runtime/string.h"

inline std::ostream& operator<<(std::ostream& os, const String& s) {
  return os << '\'' << s.ToUtf8() << '\'';
}
