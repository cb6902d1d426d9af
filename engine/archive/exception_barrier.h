// Nothing thrown inside the engine may reach its caller, which may be written
// in C or another language and cannot catch it. What can be thrown is memory
// running out (an operation's lists and buffers) or no thread to be had; the
// call then ends with a code and the system's reason in errno.
#pragma once

#include <cerrno>
#include <system_error>

namespace lrx {

// The errno that says why the exception in flight was thrown.
inline int ErrorOfThrown() noexcept {
    try {
        throw;
    } catch (const std::system_error& error) {
        return error.code().category() == std::generic_category() ? error.code().value() : EAGAIN;
    } catch (...) {
        return ENOMEM;
    }
}

// Runs body; anything it throws ends the call with failureCode.
template <typename Body>
int ThrowsNothing(int failureCode, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        errno = ErrorOfThrown();
        return failureCode;
    }
}

}  // namespace lrx
