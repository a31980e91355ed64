// Integer names of the firmware base library.
#ifndef PLATFORM_BASETYPES_H
#define PLATFORM_BASETYPES_H

#include <stdint.h>

typedef uint32_t u32;
typedef int64_t INT64;

#endif
