// The files of data/ built into the tool: sample camera disks and sensor
// profiles, by their path under data/.
#ifndef TOOLS_SENSORCTL_EMBEDDEDDATA_H
#define TOOLS_SENSORCTL_EMBEDDEDDATA_H

#include <stddef.h>

#include <string>

struct EmbeddedFile {
    const char* path;  // e.g. "hd1/moduleConfig/sensorConfig/style/Style.xml"
    const unsigned char* bytes;
    size_t size;
};

extern const EmbeddedFile kEmbeddedFiles[];
extern const size_t kEmbeddedFileCount;

// The file at path, or null.
const EmbeddedFile* findEmbedded(const std::string& path);

#endif
