// NU_PRINTF: lets the compiler check printf-style calls of the framework.
#pragma once

// The format dialect the checks follow: the C99 one of the C library in use
// (the build names gnu_printf where the compiler's default is another).
#ifndef NU_PRINTF_ARCHETYPE
#define NU_PRINTF_ARCHETYPE printf
#endif

#if defined(__GNUC__)
#define NU_PRINTF(fmt, args) __attribute__((format(NU_PRINTF_ARCHETYPE, fmt, args)))
#else
#define NU_PRINTF(fmt, args)
#endif
