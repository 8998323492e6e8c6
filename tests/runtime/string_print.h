// Lets GoogleTest show String values as text in failure messages; included by the runtime
// and host tests that compare Strings.
#pragma once
#include <ostream>
#include "runtime/string.h"

inline std::ostream& operator<<(std::ostream& os, const String& s) {
  return os << '\'' << s.ToUtf8() << '\'';
}
