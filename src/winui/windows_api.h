// windows.h for the window face. winuser.h defines MessageBox as a macro (MessageBoxA or
// MessageBoxW), which would rename ui::MessageBox in some files and not in others: every file
// of this folder includes this header instead of <windows.h>, and calls MessageBoxW by name.
#pragma once

#include <windows.h>
#undef MessageBox
