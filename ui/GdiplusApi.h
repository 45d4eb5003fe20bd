#pragma once

// GDI+ with its flat API. Its headers use min and max, which NOMINMAX takes
// away from the Windows headers.
#include <windows.h>
#include <objidl.h>

#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus
#include <gdiplus.h>
