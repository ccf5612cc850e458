// Internal: what the window manager, if one runs, tells about the desktop:
// the frame it puts around a captioned window and the work area.
#pragma once

#include "platform/core/win32_types.h"

namespace win32_wm {

// The frame a window manager draws around a top-level window with a caption
// (left, top, right, bottom, in pixels), asked for once with
// _NET_REQUEST_FRAME_EXTENTS; false when no EWMH window manager runs.
bool FrameExtents(RECT& extents);

// The desktop's work area (_NET_WORKAREA of the current desktop), or the
// whole screen without a window manager that publishes one.
RECT WorkArea();

} // namespace win32_wm
