// Test builds only: lets the end-to-end tests see inside the running game.
#pragma once

class TForm1;

// With VELTRANE_TEST_REPORT=<file> set, rewrites that file after every pass of
// the message loop: caption, mouse moves taken from the queue, sizes,
// persons, resize and destroy counts.
// With VELTRANE_TEST_SUMMARY=<file>, about once a second: counts by state and
// the healthy persons' places, cheap enough for a long game.
void StartGameProbe(TForm1& Form);
