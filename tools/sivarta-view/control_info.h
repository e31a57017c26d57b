// Reads the instrument's info through the control's automation methods, by
// name, as a page script does, and renders the host's name=value lines.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

// The lines code=, name=, date=, time=, current=, change= (UTF-8, each ended by
// '\n'). Returns false, with `error` set, when a method could not be called;
// the lines read so far are still in `lines`.
bool ReadControlInfo(IDispatch* control, std::string& lines, std::string& error);

// UTF-16 to UTF-8.
std::string ToUtf8(const wchar_t* text, int length = -1);
