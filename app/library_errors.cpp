// What the standard library throws in this exe when one of its preconditions breaks: a size past
// max_size(), a position past the end, a string made from a null pointer.
#include <exception>
#include <new>
#include <string>

// (__GLIBCXX__ comes with the first standard header.) libstdc++ throws these from helpers whose
// object file builds std::logic_error and its kin, and with them the library's copy-on-write
// std::string, which brings std::random_device and the other std::string: some 59 KB for texts no
// one reads. The program catches them only as std::exception (its window procedures report an
// unexpected error, the load handler takes any exception), so an std::exception of its own with
// the library's text does the same. Failed allocations keep their own types, which cost nothing.
// Should the program come to need another of those helpers, libstdc++'s object file comes back and
// the link stops at the second definition. Other runtimes keep their own.
#if defined(__GLIBCXX__)
namespace {

class BrokenPrecondition : public std::exception {
public:
    explicit BrokenPrecondition(const char* text) : text_(text) {}
    const char* what() const noexcept override { return text_; }

private:
    const char* text_;  // the library's, a literal
};

}  // namespace

namespace std {
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_length_error(const char* text) { throw BrokenPrecondition(text); }
void __throw_logic_error(const char* text) { throw BrokenPrecondition(text); }
void __throw_out_of_range_fmt(const char* format, ...) { throw BrokenPrecondition(format); }
}  // namespace std
#endif
