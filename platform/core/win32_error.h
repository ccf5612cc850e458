// The thread's last error, the system's texts for the codes this subset sets,
// and the one way a platform failure is reported.
#pragma once

#include "win32_types.h"

#include <string>

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_DATA 13L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L
#define ERROR_BUSY 170L
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_CANNOT_FIND_WND_CLASS 1407L
#define ERROR_TLW_WITH_WSCHILD 1406L
#define ERROR_CLASS_ALREADY_EXISTS 1410L
#define ERROR_CLASS_DOES_NOT_EXIST 1411L
#define ERROR_CLASS_HAS_WINDOWS 1412L
#define ERROR_INVALID_INDEX 1413L
#define ERROR_DC_NOT_FOUND 1425L
#define ERROR_NOT_ENOUGH_QUOTA 1816L
#define ERROR_INVALID_PIXEL_FORMAT 2000L

DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define ERROR_MR_MID_NOT_FOUND 317L

// FORMAT_MESSAGE_FROM_SYSTEM only, into the caller's buffer; the text ends
// with "\r\n" as Windows writes it. 0 (and ERROR_MR_MID_NOT_FOUND) for a
// code without a text, ERROR_INSUFFICIENT_BUFFER when it does not fit.
DWORD FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                     LPSTR lpBuffer, DWORD nSize, void* Arguments);

namespace win32_internal {

// Every failure of the window system, its GL or its resources comes through
// here: it becomes the thread's last error and the last failure's sentence.
// A shown failure also goes to standard error, once per distinct sentence, so
// one that repeats every frame does not flood the terminal; failures the
// program expects and survives (a request on a window another client just
// destroyed) are only recorded.
enum class Echo { Show, Quiet };
void ReportFailure(DWORD code, const std::string& what, Echo echo = Echo::Show);
// The sentence of the last failure reported on any thread (empty if none).
std::string LastFailure();

} // namespace win32_internal
