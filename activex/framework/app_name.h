// The module's application name: the caption of its message boxes and the
// agent name its WinINet requests send.
#pragma once

#include <string>

// The file name of the module that contains this code, without folder and extension.
std::string AppName();
