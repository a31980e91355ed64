// The safe pointer's exception, where hosts have always included it from; it
// lives with the callable glue in platform/.
#ifndef SUPPORT_TXRUNTIMEERROR_H
#define SUPPORT_TXRUNTIMEERROR_H

#include "platform/TXRuntimeError.h"

#endif
