// NU_PRINTF: lets the compiler check printf-style calls of the framework.
#pragma once

#if defined(__GNUC__)
#define NU_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define NU_PRINTF(fmt, args)
#endif
