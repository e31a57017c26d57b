// Parts of the static C++ runtime that the OCX replaces, because they cost a
// large share of the module and serve nothing inside a control.
//
// The default terminate handler names the escaping exception's type on
// stderr, which a control inside a browser does not have; its name demangler
// alone is a sixth of the module. This one only ends the process, as the
// default does after its message.
//
// The library's helpers for std::logic_error, std::length_error and
// std::out_of_range construct those types, and with them the
// reference-counted string and the rest of its library object (about 75 KB of the 32-bit module, where the linker
// cannot drop unused functions that have unwind entries). The control catches only std::bad_alloc and everything else
// (`...`), so a plain std::exception takes every path the library's exception took. std::bad_alloc and
// std::bad_array_new_length stay as they are. Should new code need another of
// the library's helpers, the library's objects come back and the link fails
// on the duplicates here: add that helper too.
#include <cstdlib>
#include <exception>
#include <new>

namespace {

class LibraryError : public std::exception {
public:
    explicit LibraryError(const char* text) noexcept : text(text) {}
    const char* what() const noexcept override { return text; }

private:
    const char* text;
};

}   // namespace

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

}   // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() {
    throw bad_alloc();
}

void __throw_bad_array_new_length() {
    throw bad_array_new_length();
}

void __throw_logic_error(const char* text) {
    throw LibraryError(text);
}

void __throw_length_error(const char* text) {
    throw LibraryError(text);
}

// The format's arguments (the position and the size) are left out of the text.
void __throw_out_of_range_fmt(const char* format, ...) {
    throw LibraryError(format);
}

}   // namespace std
