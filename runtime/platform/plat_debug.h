#pragma once
// Debug output, the fatal message box and the platform check.

// Receives each debug line as given (its own line end included).
using PlatDebugSink = void (*)(void* context, const char* text);

// Hands text to the sink; by default it goes to standard error.
void PlatDebugOutput(const char* text);
// Installs a sink; NULL restores standard error. A sink runs under the
// output's lock: it must not write debug output or log itself.
void PlatSetDebugSink(PlatDebugSink sink, void* context);

// Shows caption and text: "caption: text" and a line end on standard error.
void PlatMessageBox(const char* caption, const char* text);
// Ends the process with the code after flushing the standard streams; no
// exit handlers or destructors run, as other threads may still be inside
// the library.
[[noreturn]] void PlatExitProcess(int code);

// Whether this is a supported platform (Linux).
bool PlatCheckPlatform(void);
using PlatCheckFn = bool (*)(void);
// Replaces the check (a test reaches the refusal path with it); NULL restores
// the real one. Returns the check it replaces (NULL for the real one).
PlatCheckFn PlatSetPlatformCheckFn(PlatCheckFn fn);
