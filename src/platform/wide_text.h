#pragma once
// Windows only: the game keeps every path and text in UTF-8; the Windows API
// takes UTF-16. These convert at the call (nothing is lost: a string that is
// not valid UTF-8 converts to an empty one, which no call accepts).
#ifdef _WIN32
#include <string>

namespace platform {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
// The text of a Windows error code (GetLastError) in UTF-8, one line.
std::string WindowsErrorText(unsigned long code);

}  // namespace platform
#endif
