// The style every instrument window is made with; set by the host through
// SetHostWindow.
#pragma once

#include <windows.h>

DWORD VIWindowStyle();
