// Seams of the off-target build: where the module's absolute paths land, the
// clock it reads and how long its waits last. Tests and tools set them.
#ifndef PLATFORM_HOSTSEAMS_H
#define PLATFORM_HOSTSEAMS_H

#include <string>

namespace platform {

// Every absolute path the module uses is resolved under this root. The
// default is SENSOR_ROOT from the environment, read at first use, else the
// real paths (empty root).
void setFsRoot(const std::string& root);
std::string fsRoot();

// The time of day TXDeviceTime answers until clearFakeClock().
void setFakeClock(int hour, int minute);
void clearFakeClock();

// wait(TalvexTime) sleeps the given time multiplied by percent / 100.
void setWaitScale(int percent);

// The operations of TXFile that a test can make fail or stop.
enum FileOperation { fileOpen, fileRead, fileWrite, fileSync, fileRename, fileSyncDirectory };

// From now on, every op on a file whose host path contains pathPart fails: an
// open, a sync or a rename (matched on its source path) at once; a read or a
// write moves the bytes up to file offset afterBytes and reports that short
// count, so 0 moves nothing.
void failFileOperation(FileOperation op, const std::string& pathPart, long afterBytes = 0);
// From now on the process stops itself (SIGSTOP) when op on such a file
// reaches file offset atByte, the bytes before it moved and flushed (an open,
// sync or rename stops before it runs): a parent that kills it then cuts the
// power at that point. A process that is continued carries on.
void stopFileOperation(FileOperation op, const std::string& pathPart, long atByte = 0);
// Ends every failure and stop set above.
void clearFileFaults();

// Off, sync() and syncDirectory() succeed without forcing anything to the
// disk: tests that save thousands of times need not wait for it. On by default.
void setDurableSync(bool durable);

// Bytes written through TXFile::write since the process started: what the
// module's saves cost the flash.
unsigned long long fileBytesWritten();

}  // namespace platform

#endif
