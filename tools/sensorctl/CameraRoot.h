// The camera disk sensorctl works on: a directory standing for the camera's
// file system, seeded from the built-in sample data when it is new.
#ifndef TOOLS_SENSORCTL_CAMERAROOT_H
#define TOOLS_SENSORCTL_CAMERAROOT_H

#include <string>

// The absolute form of a directory name (the module resolves every camera
// path under it, whatever the working directory is later).
std::string absoluteDir(const std::string& dir);
bool directoryExists(const std::string& dir);

// True when dir does not exist or is a directory with nothing in it.
bool blankDir(const std::string& dir);

// Seeds root with the sample disk of family ("box", "dome", "thermal"): the
// style documents and that family's machine information and module
// configuration. The family is remembered in the root. The disk is written
// whole beside root ("<root>.seeding.<pid>") and renamed into place, so a
// seeder that dies leaves no half disk at root; what dead seeders left beside
// it is removed. A missing or empty root is replaced; with replace, a seeded
// one too. When another run seeds root first, its disk is kept and ours
// dropped.
bool seedRoot(const std::string& root, const std::string& family, bool replace, std::string& error);
// The family a root was seeded with; "" when it holds no seeded disk.
std::string rootFamily(const std::string& root);

// Copies the directories and regular files of from into to (created); links
// and other files are left out, never followed.
bool copyTree(const std::string& from, const std::string& to);
// Removes the scratch directories "<root><infix><pid>..." of runs that died.
void removeDeadScratch(const std::string& root, const std::string& infix);

// Writes (or with "off" removes) the module's debug sign file in root.
bool writeSignFile(const std::string& root, const std::string& level, std::string& error);

// Writes bytes to path, creating its missing parent directories.
bool writeHostFile(const std::string& path, const std::string& bytes);
bool readHostFile(const std::string& path, std::string& bytes);

#endif
