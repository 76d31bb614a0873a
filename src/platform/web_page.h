#pragma once
// The page the browser build runs in (data/web/page.js): what the game asks
// of it. In the desktop build none of these does anything.
#include <string>

namespace platform {

// True in the browser build.
constexpr bool kInBrowser =
#ifdef __EMSCRIPTEN__
    true;
#else
    false;
#endif

// Shows a message on the page (an error replaces the game); false on the desktop.
bool ShowOnPage(const std::string& caption, const std::string& text, bool error);

// Opens an address in a new tab (the site pages lie beside the page);
// false on the desktop or when the page does not take it.
bool OpenOnPage(const std::string& url);

// A file of the user directory was written. The page copies the directory
// to the browser's storage at the end of the frame (SaveUserFiles), when the
// save's last rename is done.
void UserFilesChanged();
void SaveUserFiles();

// True once after the browser took the pointer lock from the game (the
// player pressed Escape), as a focus loss on the desktop.
bool PointerLockLost();

// The game has closed with this status: the page says so.
void ProgramEnded(int status);

// Why the browser's storage failed (said on the page once), one reason at a
// time for the game's log; empty when there is none (and on the desktop).
std::string TakeStorageProblem();

}  // namespace platform
