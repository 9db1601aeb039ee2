// The jump point for calls into a C library (libjpeg, libpng) whose error
// handler must not return and whose frames no C++ exception may unwind.
#pragma once

#include <csetjmp>

// Runs one sequence of library calls; false when the library or a hook
// jumped back to jump. call must hold no object with a destructor.
template <typename Call>
bool JumpGuarded(std::jmp_buf& jump, Call& call)
{
    if (setjmp(jump) != 0)
        return false;
    call();
    return true;
}
