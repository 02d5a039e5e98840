// The parts of the C++ runtime every program and the DLL link from here
// instead of from libstdc++. Nothing in the product throws or catches, so a
// failure the standard library would report as an exception can only end
// the process: these definitions say so directly, and keep libstdc++'s
// exception classes, its copy-on-write string and the unwinder out.
#include <cstdarg>
#include <cstdlib>
#include <new>
#include <string>

namespace __gnu_cxx {
// The default handler drags the C++ demangler in.
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_exception() { abort(); }
void __throw_bad_alloc() { abort(); }
void __throw_bad_array_new_length() { abort(); }
void __throw_bad_cast() { abort(); }
void __throw_bad_typeid() { abort(); }
void __throw_logic_error(const char*) { abort(); }
void __throw_domain_error(const char*) { abort(); }
void __throw_invalid_argument(const char*) { abort(); }
void __throw_length_error(const char*) { abort(); }
void __throw_out_of_range(const char*) { abort(); }
void __throw_out_of_range_fmt(const char*, ...) { abort(); }
void __throw_runtime_error(const char*) { abort(); }
void __throw_range_error(const char*) { abort(); }
void __throw_overflow_error(const char*) { abort(); }
void __throw_underflow_error(const char*) { abort(); }
void __throw_ios_failure(const char*) { abort(); }
void __throw_ios_failure(const char*, int) { abort(); }
void __throw_system_error(int) { abort(); }
void __throw_future_error(int) { abort(); }
void __throw_bad_function_call() { abort(); }

// libstdc++ declares these extern and links its own prebuilt copies whole;
// instantiated here, only the members in use survive --gc-sections.
template class basic_string<char>;
template class basic_string<wchar_t>;
}  // namespace std

// Allocation failure ends the process, as an uncaught bad_alloc would.
void* operator new(std::size_t size)
{
    if (void* block = std::malloc(size ? size : 1))
        return block;
    std::abort();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
