// The fatal-error path: the "Tarvik Runtime Error : " lines, the debugger handshake on
// stderr/stdin and the signal handler start-up installs. It sits below String and the
// collector (both end here when the heap says no), so it uses no other runtime header.
#pragma once

// Never returns: prints the error line and asks the debugger; a resume reports it again.
[[noreturn]] void dbg_error(const char* text);
// Returns when the debugger command asks to resume; ends the process otherwise.
void dbg_stop();
void sighandler(int signal);

// The debugger's '@' command names an object by its address; this path knows no classes, so
// the layer that does (runtime/object.cpp) installs the call that gives the object's text
// in UTF-8, valid until its next call. Until one is installed, the answer is an empty line.
using vgObjectText = const char* (*)(void* object);
void vgSetObjectText(vgObjectText text);
