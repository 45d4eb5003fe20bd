#pragma once

#include <string>

// UTF-16 (as the Windows API holds text) to UTF-8 bytes. A lone surrogate,
// which no valid file name holds, becomes U+FFFD.
std::string utf16ToUtf8(const std::wstring& text);

// True when every code unit is 7-bit ASCII.
bool isAscii(const std::wstring& text);
