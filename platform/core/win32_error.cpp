#include "win32_error.h"

#include "win32_resource.h"
#include "win32_window.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

namespace {

thread_local DWORD tLastError = ERROR_SUCCESS;

std::mutex gFailureMutex;
std::string gLastFailure;
std::set<std::string> gFailuresShown;

struct ErrorText {
    DWORD code;
    const char* text;
};

// Worded as Windows words them.
constexpr ErrorText kErrorTexts[] = {
    {ERROR_SUCCESS, "The operation completed successfully."},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_INVALID_HANDLE, "The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command."},
    {ERROR_INVALID_DATA, "The data is invalid."},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
    {ERROR_MOD_NOT_FOUND, "The specified module could not be found."},
    {ERROR_PROC_NOT_FOUND, "The specified procedure could not be found."},
    {ERROR_BUSY, "The requested resource is in use."},
    {ERROR_INVALID_WINDOW_HANDLE, "Invalid window handle."},
    {ERROR_TLW_WITH_WSCHILD, "Cannot create a top-level child window."},
    {ERROR_CANNOT_FIND_WND_CLASS, "Cannot find window class."},
    {ERROR_CLASS_ALREADY_EXISTS, "Class already exists."},
    {ERROR_CLASS_DOES_NOT_EXIST, "Class does not exist."},
    {ERROR_CLASS_HAS_WINDOWS, "Class still has open windows."},
    {ERROR_INVALID_INDEX, "Invalid index."},
    {ERROR_DC_NOT_FOUND, "Invalid device context (DC) handle."},
    {ERROR_RESOURCE_NAME_NOT_FOUND,
     "The specified resource name cannot be found in the image file."},
    {ERROR_NOT_ENOUGH_QUOTA, "Not enough quota is available to process this command."},
    {ERROR_INVALID_PIXEL_FORMAT, "The pixel format is invalid."},
};

} // namespace

DWORD GetLastError() {
    return tLastError;
}

void SetLastError(DWORD dwErrCode) {
    tLastError = dwErrCode;
}

namespace win32_internal {

void ReportFailure(DWORD code, const std::string& what, Echo echo) {
    SetLastError(code);
    std::lock_guard<std::mutex> lock(gFailureMutex);
    gLastFailure = what;
    // Bounded: a window system that fails in new words without end still
    // costs no more than this.
    if (echo == Echo::Show && gFailuresShown.size() < 64 && gFailuresShown.insert(what).second)
        std::fprintf(stderr, "%s\n", what.c_str());
}

std::string LastFailure() {
    std::lock_guard<std::mutex> lock(gFailureMutex);
    return gLastFailure;
}

} // namespace win32_internal

DWORD FormatMessageA(DWORD dwFlags, LPCVOID, DWORD dwMessageId, DWORD, LPSTR lpBuffer, DWORD nSize,
                     void*) {
    if (!(dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) || lpBuffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code != dwMessageId)
            continue;
        const std::size_t length = std::strlen(entry.text) + 2;
        if (length + 1 > nSize) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        std::memcpy(lpBuffer, entry.text, length - 2);
        std::memcpy(lpBuffer + length - 2, "\r\n", 3);
        return static_cast<DWORD>(length);
    }
    SetLastError(ERROR_MR_MID_NOT_FOUND);
    return 0;
}
