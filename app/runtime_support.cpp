// Small stand-ins for parts of the C++ runtime that would otherwise bring in
// a third of the program: the default terminate handler links a demangler
// and printf, and the library's helpers that raise length and range errors
// link its whole reference-counted string and random-device support. These
// versions raise the same kind of error with the same text, which the
// standard error box shows like any other.
#include <cstdlib>
#include <exception>
#include <new>

namespace {

class LibraryError : public std::exception {
public:
    explicit LibraryError(const char* what) : what_(what) {}
    const char* what() const noexcept override { return what_; }

private:
    const char* what_;
};

}  // namespace

namespace __gnu_cxx {
// Nothing can escape a window procedure, so reaching this is a bug; stop.
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_array_new_length(); }
void __throw_length_error(const char* what) { throw LibraryError(what); }
void __throw_logic_error(const char* what) { throw LibraryError(what); }
void __throw_out_of_range_fmt(const char* format, ...) { throw LibraryError(format); }
}  // namespace std
