// The system's texts for the error codes this subset sets.
#pragma once

#include "win32_types.h"

#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define ERROR_MR_MID_NOT_FOUND 317L

// FORMAT_MESSAGE_FROM_SYSTEM only, into the caller's buffer; the text ends
// with "\r\n" as Windows writes it. 0 (and ERROR_MR_MID_NOT_FOUND) for a
// code without a text, ERROR_INSUFFICIENT_BUFFER when it does not fit.
DWORD FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                     LPSTR lpBuffer, DWORD nSize, void* Arguments);
