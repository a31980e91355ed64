// Shell commands of the base library.
#ifndef PLATFORM_SY_SYSTEM_H
#define PLATFORM_SY_SYSTEM_H

// Runs command through /bin/sh and waits at most timeoutSeconds for it; the
// command's exit status, or -1 when it could not run or was stopped because it
// took too long.
int sy_system(const char* command, int timeoutSeconds);

#endif
