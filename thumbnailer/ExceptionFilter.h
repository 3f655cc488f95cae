#pragma once
// The process-wide filter for exceptions that no handler on their own thread takes.
#include <windows.h>

// GCC has no __try/__except, so the filter stands in for the handlers of the window thread
// and the decode thread too, telling the threads apart by their ids:
// - window thread: the program ends (exit code kExitWindowThreadFault) without a restart and
//   without the crash marker;
// - decode thread: the movie is set aside (THUMBNAIL/exception = 1, so the next run takes it
//   as failed instead of trying it again without end), the thread ends and the window goes
//   on with the next movie;
// - any other thread (the pipe listener, the threads of DirectShow and Media Foundation):
//   THUMBNAIL/exception = 1 when a movie is in the decoder's hands, the queue is saved, a
//   new instance is started and this one ends.
// C++ exceptions are not seen here; each thread entry point catches its own.
LONG WINAPI StillforgeExceptionFilter(EXCEPTION_POINTERS* info);
