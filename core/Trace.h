#pragma once
// Trace log, time stamps, a processor-time timer and small text helpers. Tracing is
// switched off: the call sites fix what a tracing build would log.
#include <ctime>

class UTL_String;

// Logs one line under tag (the calling function's name); does nothing here.
void Trace(const char* tag, int line, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// Local time as "yyyymmdd hh:mm +hhmm". Storage per thread, overwritten by the
// thread's next call.
const char* CurrentTime();

// Build stamp from __DATE__ ("Mmm dd yyyy") and __TIME__ ("hh:mm:ss"): "[Mmmdd hh:mm]",
// where a space-padded day keeps only its digit.
void CompileTimestamp(const char* date, const char* time, UTL_String* out);
// text, a space and the build stamp. Storage per thread, overwritten by the thread's
// next call.
const char* AppendTimestamp(const char* date, const char* time, const char* text);

// Fires at most once per interval of processor time (not wall-clock time).
struct Timer
{
  // clock() ticks; a long, because an int wraps after about 36 minutes of CPU time.
  long mStartTick;

  Timer();
  // True, restarting the interval, once more than seconds have passed since the start.
  bool Every(double seconds);
};

// Space, tab, line feed and carriage return only.
bool IsWhitespace(char c);
// out holds strlen(in) + 1 bytes.
void ToLower(char* out, const char* in);
// Bounded form: writes at most outSize bytes, cutting the text to fit.
void ToLower(char* out, int outSize, const char* in);

// Names of host-API opcodes for the trace; "" while tracing is off.
const char* VSTOpcodeStr(int opcode);
const char* AUSelectStr(int select);
const char* AUPropertyStr(int property);
const char* AUScopeStr(int scope);
