// The camera disk sensorctl works on: a directory standing for the camera's
// file system, seeded from the built-in sample data when it is new.
#ifndef TOOLS_SENSORCTL_CAMERAROOT_H
#define TOOLS_SENSORCTL_CAMERAROOT_H

#include <string>

// The absolute form of a directory name (the module resolves every camera
// path under it, whatever the working directory is later).
std::string absoluteDir(const std::string& dir);
bool directoryExists(const std::string& dir);

// Creates root with the sample disk of family ("box", "dome", "thermal"):
// the style documents and that family's machine information and module
// configuration. The family is remembered in the root.
bool seedRoot(const std::string& root, const std::string& family, std::string& error);
// The family a root was seeded with; "box" when it does not say.
std::string rootFamily(const std::string& root);

// Writes (or with "off" removes) the module's debug sign file in root.
bool writeSignFile(const std::string& root, const std::string& level, std::string& error);

// Writes bytes to path, creating its missing parent directories.
bool writeHostFile(const std::string& path, const std::string& bytes);
bool readHostFile(const std::string& path, std::string& bytes);

#endif
