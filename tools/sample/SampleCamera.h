// The sample camera disks of data/: its files read into memory, and the disk
// of one family ("box", "dome", "thermal") written under a root from them.
// A disk of a family is data/hd1 at <root>/hd1 and data/cameras/<family>/.
// at <root>/ (its machine information and its module configuration).
#ifndef TOOLS_SAMPLE_SAMPLECAMERA_H
#define TOOLS_SAMPLE_SAMPLECAMERA_H

#include <string>
#include <vector>

// A file of the sample data by its path under data/, e.g.
// "hd1/moduleConfig/sensorConfig/style/Style.xml" or
// "cameras/box/mnt/mtd/code/factory_setting/machineinfo.ini".
struct SampleFile {
    std::string path;
    std::string bytes;
};

// Reads the regular files below dataDir/hd1 and dataDir/cameras into files,
// sorted by path; links and other files are left out, never followed. False
// with the reason in error when a directory or a file cannot be read.
bool readSampleData(const std::string& dataDir, std::vector<SampleFile>& files, std::string& error);

// Where a file of the data lands on a disk of the family, relative to its
// root: "hd1/..." as it is, "cameras/<family>/X" as X, anything else "".
std::string sampleCameraPlace(const std::string& dataPath, const std::string& family);

// Writes the disk of the family under root from files, creating root and
// the directories below it as needed; a file already there is overwritten
// (a link there is not followed: the write fails). Where a file of the
// family and one of hd1 land on the same place, the family's is written.
// Nothing goes through the shell. False with the reason in error when a
// directory or a file cannot be written, or when files hold nothing of the
// family.
bool seedSampleCamera(const std::vector<SampleFile>& files, const std::string& family,
                      const std::string& root, std::string& error);

// Creates dir and its missing parents; true when it is a directory after.
bool makeDirs(const std::string& dir);

// The bytes of a regular file; false when it cannot be read or is no regular
// file (a link is not followed).
bool readRegularFile(const std::string& path, std::string& bytes);

// Creates or truncates path (a link there is not followed) and writes bytes.
bool writeWholeFile(const std::string& path, const std::string& bytes);

// Removes path and everything below it; links are removed, never followed.
void removeHostTree(const std::string& path);

// Writes every byte to the open descriptor (short writes and interruptions
// resumed) and closes it; true when all were written and the close succeeded.
bool writeAndClose(int fd, const std::string& bytes);

#endif
