// The callable glue, where hosts and the module have always included it from;
// it lives with the platform's thread class, which takes it.
#ifndef SUPPORT_FUNCTION_H
#define SUPPORT_FUNCTION_H

#include "platform/function.h"

#endif
