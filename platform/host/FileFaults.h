// The file faults a test sets through HostSeams.h, as TXFile meets them.
#ifndef PLATFORM_HOST_FILEFAULTS_H
#define PLATFORM_HOST_FILEFAULTS_H

#include <stddef.h>
#include <stdio.h>

#include <functional>
#include <string>

#include "platform/HostSeams.h"

namespace platform {

// Whether op on the host path may run: false when it is set to fail; a stop
// set for it stops the process here first.
bool fileOperationGoesOn(FileOperation op, const std::string& hostPath);
bool fileOperationGoesOn(FileOperation op, FILE* file);

// Moves count bytes at the file's offset through move(done, n), which moves n
// more bytes after the first done and answers how many it moved, as far as
// the faults set for op allow; the bytes moved.
size_t transferWithFaults(FileOperation op, FILE* file, size_t count,
                          const std::function<size_t(size_t done, size_t n)>& move);

// Whether sync() and syncDirectory() force the data to the disk.
bool durableSync();

}  // namespace platform

#endif
