// Console output in UTF-8 and vgError, the fatal error of every layer. The path it ends on,
// with the debugger handshake and the signal handler, is runtime/fatal.h.
#pragma once
#include "runtime/string.h"

class ThrowableObject;

void vgPrint(const String& s);
void vgDebugLog(const String& s);
// Empty message: exit(0). Otherwise a fatal error that never returns.
[[noreturn]] void vgError(const String& message);
// Asks the debugger (dbg_stop); returns when it resumes.
void vgDebugStop();
