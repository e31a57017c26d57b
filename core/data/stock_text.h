// Text of a fixed-width field of the info record, as the automation methods
// return it. Portable: the code page's lead-byte test is passed in.
#pragma once

#include <cstddef>
#include <string>

using LeadByteTest = bool (*)(unsigned char byte);

// Copies at most `width` bytes of `field` (stopping at a NUL), then removes
// the trailing run of white space (space, \t, \n, \v, \f, \r). The text is
// walked character by character, so the trail byte of a double-byte
// character is never taken for white space.
std::string FieldText(const char* field, size_t width, LeadByteTest isLeadByte);
