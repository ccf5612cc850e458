// The game's icon for the Linux window, built into the program so that it
// needs no installed file; Windows has it from the resource script instead.
#pragma once

// Registers the icon as the executable's "MAINICON"; call before the first window.
void RegisterMainIcon();
