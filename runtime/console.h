// Console output in UTF-8 and the fatal-error path with its debugger handshake on the
// standard streams. Used by every layer; signal handlers installed at start-up end here.
#pragma once
#include "runtime/string.h"

class ThrowableObject;

void vgPrint(const String& s);
void vgDebugLog(const String& s);
// Empty message: exit(0). Otherwise a fatal error that never returns.
[[noreturn]] void vgError(const String& message);
void vgDebugStop();

[[noreturn]] void dbg_error(const char* text);
// Returns when the debugger command asks to resume; ends the process otherwise.
void dbg_stop();
void sighandler(int signal);
