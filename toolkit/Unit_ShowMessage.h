// The toolkit's modal message box. Every box goes through ShowMessage, and a
// test can put its own function in place of the platform's box.
#pragma once

#include <functional>
#include <string>

using TMessageBoxHook = std::function<void(const std::string& Text)>;

// Shows Text in a modal box with an OK button and returns when it is closed.
void ShowMessage(const std::string& Text);

// Replaces the box; an empty hook restores the platform's. Returns the previous hook.
TMessageBoxHook SetMessageBoxHook(TMessageBoxHook Hook);
