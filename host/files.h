// File services of the host: runtime paths ("tarvik://data/...") mapped to files, whole-file
// loading, the persistent state file and a few desktop services (date, opening a web address).
// The host's VgGame/VgGlfwGame methods of the same names forward here; VgDataBuffer uses LoadData.
#pragma once
#include <cstdio>

#include "runtime/array.h"
#include "runtime/string.h"

// Turns a bare asset name into a data path: "gfx/a.png" -> "tarvik://data/gfx/a.png".
// Paths with a scheme, and paths beginning with "./" or "/", are returned unchanged.
String vg_data_FixDataPath(const String& path);

namespace vg_files {

// "tarvik://data/", "tarvik://internal/" and "tarvik://external/" become "./data/",
// "./internal/" and "./external/"; another "tarvik:" path gives the empty string; a path
// without the scheme is returned unchanged.
String PathToFilePath(const String& path);

// Opens the mapped path (UTF-8 on disk) with an fopen mode such as "rb"; null when the
// mapped path is empty or the file cannot be opened.
FILE* OpenFile(const String& path, const String& mode);

// The decoded text of the file (String::Load), or the empty string when it cannot be opened.
String LoadString(const String& path);

// The whole file as one block the caller owns and releases with std::free(); stores its size
// in *length. Null, with *length untouched, when the file cannot be opened. An empty file
// gives a non-null block of size 0.
unsigned char* LoadData(const String& path, int* length);

// The state text kept in "./.tarvikstate"; empty when the file is absent.
String LoadState();

// Replaces "./.tarvikstate" with the state encoded as UTF-8. The file is never left
// truncated: the bytes go to a temporary file in the same folder, which is flushed to disk
// and renamed over the old one. 0 on success; -1 when the file cannot be created or
// replaced; -2 when not every byte could be written. On failure the old file is untouched
// and the temporary file is removed.
int SaveState(const String& state);

// The same two operations on another state file path (tests, tools).
String LoadStateAt(const char* file_path);
int SaveStateAt(const char* file_path, const String& state);

// Fills year, month (1-12), day, hour, minute, second and 0 milliseconds of the local time,
// stopping at the end of the array.
void GetDate(Array<int> date);

// Asks the desktop to open a web address (a page opens it in a new tab and returns 0, or -1
// when the browser refuses): runs xdg-open with the address (narrowed to one
// byte per character) as its single argument, without a shell, and does not wait for it;
// the child is reaped in the background. Returns the child's process id, or -1 when it could
// not be started (callers may ignore the result).
int OpenUrl(const String& url);

}  // namespace vg_files
