#include "CameraRoot.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "EmbeddedData.h"
#include "platform/CameraPaths.h"
#include "tools/sample/SampleCamera.h"

namespace {

const char* const kFamilyMark = "/sensorctl.family";
// A root is seeded in "<root>.seeding.<pid>" beside it and renamed into place.
const char* const kSeeding = ".seeding.";
const unsigned kRenameExchange = 1u << 1;  // renameat2's RENAME_EXCHANGE

bool processAlive(long pid) {
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// Removes what runs that died left in parent under names "<prefix><pid>...".
void removeLeftByDeadRuns(const std::string& parent, const std::string& prefix) {
    std::vector<std::string> dead;
    DIR* dir = opendir(parent.c_str());
    if (!dir) {
        return;
    }
    while (const dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (strncmp(name, prefix.c_str(), prefix.size()) != 0) {
            continue;
        }
        char* end = nullptr;
        long pid = strtol(name + prefix.size(), &end, 10);
        if (pid > 0 && (*end == '\0' || *end == '.') && pid != getpid() && !processAlive(pid)) {
            dead.push_back(parent + "/" + name);
        }
    }
    closedir(dir);
    for (const std::string& path : dead) {
        removeHostTree(path);
    }
}

// Writes the sample disk of family, from the built-in data, into the new
// directory dir.
bool writeSeed(const std::string& dir, const std::string& family, std::string& error) {
    std::vector<SampleFile> files;
    for (size_t i = 0; i < kEmbeddedFileCount; ++i) {
        const EmbeddedFile& file = kEmbeddedFiles[i];
        files.push_back(SampleFile{
            file.path, std::string(reinterpret_cast<const char*>(file.bytes), file.size)});
    }
    if (!seedSampleCamera(files, family, dir, error)) {
        return false;
    }
    if (!writeHostFile(dir + kFamilyMark, family + "\n")) {
        error = "cannot write " + dir + kFamilyMark;
        return false;
    }
    return true;
}

// Puts the directory fresh in the place of the existing directory target,
// whose contents end up at fresh or are removed. Atomic where the file system
// swaps names; elsewhere target is missing for a moment.
bool swapDirs(const std::string& fresh, const std::string& target) {
#ifdef SYS_renameat2
    if (syscall(SYS_renameat2, AT_FDCWD, fresh.c_str(), AT_FDCWD, target.c_str(),
                kRenameExchange) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
#else
    (void)kRenameExchange;
#endif
    std::string aside = fresh + ".old";
    removeHostTree(aside);
    if (rename(target.c_str(), aside.c_str()) != 0) {
        return false;
    }
    if (rename(fresh.c_str(), target.c_str()) != 0) {
        int why = errno;
        rename(aside.c_str(), target.c_str());
        errno = why;
        return false;
    }
    removeHostTree(aside);
    return true;
}

// The directory a root name stands for: links resolved, so that the seed is
// made beside the directory it replaces.
std::string realDir(const std::string& root) {
    char real[PATH_MAX];
    if (realpath(root.c_str(), real)) {
        return real;
    }
    std::string dir = root;
    while (dir.size() > 1 && dir.back() == '/') {
        dir.pop_back();
    }
    return dir;
}

}  // namespace

namespace {

bool copyRegularFile(const std::string& from, const std::string& to) {
    int in = open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (in < 0 || fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (in >= 0) {
            close(in);
        }
        return true;  // not a regular file: not copied
    }
    int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    bool ok = out >= 0;
    char buffer[8192];
    ssize_t got = 0;
    while (ok && (got = read(in, buffer, sizeof(buffer))) > 0) {
        ok = write(out, buffer, static_cast<size_t>(got)) == got;
    }
    ok = ok && got == 0;
    close(in);
    if (out >= 0) {
        ok = close(out) == 0 && ok;
    }
    return ok;
}

}  // namespace

void removeDeadScratch(const std::string& root, const std::string& infix) {
    size_t slash = root.rfind('/');
    if (slash != std::string::npos && slash + 1 < root.size()) {
        removeLeftByDeadRuns(slash == 0 ? "/" : root.substr(0, slash),
                             root.substr(slash + 1) + infix);
    }
}

bool copyTree(const std::string& from, const std::string& to) {
    std::vector<std::pair<std::string, std::string>> pending(1, std::make_pair(from, to));
    while (!pending.empty()) {
        std::pair<std::string, std::string> dirs = pending.back();
        pending.pop_back();
        DIR* dir = opendir(dirs.first.c_str());
        if (!dir || (mkdir(dirs.second.c_str(), 0755) != 0 && errno != EEXIST)) {
            if (dir) {
                closedir(dir);
            }
            return false;
        }
        bool ok = true;
        while (const dirent* entry = ok ? readdir(dir) : nullptr) {
            std::string name = entry->d_name;
            if (name == "." || name == "..") {
                continue;
            }
            std::string source = dirs.first + "/" + name, target = dirs.second + "/" + name;
            struct stat st;
            if (lstat(source.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
                pending.emplace_back(source, target);
            } else if (lstat(source.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
                ok = copyRegularFile(source, target);
            }
        }
        closedir(dir);
        if (!ok) {
            return false;
        }
    }
    return true;
}

const EmbeddedFile* findEmbedded(const std::string& path) {
    for (size_t i = 0; i < kEmbeddedFileCount; ++i) {
        if (path == kEmbeddedFiles[i].path) {
            return &kEmbeddedFiles[i];
        }
    }
    return nullptr;
}

std::string absoluteDir(const std::string& dir) {
    if (!dir.empty() && dir[0] == '/') {
        return dir;
    }
    char here[PATH_MAX];
    if (!getcwd(here, sizeof(here))) {
        return dir;
    }
    std::string path = dir;
    while (path.compare(0, 2, "./") == 0) {
        path.erase(0, 2);
    }
    return std::string(here) + "/" + path;
}

bool directoryExists(const std::string& dir) {
    struct stat info;
    return stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool writeHostFile(const std::string& path, const std::string& bytes) {
    size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !makeDirs(path.substr(0, slash))) {
        return false;
    }
    // Written beside the file and renamed over it: a module reading it at the
    // same time (the sign file) sees the old file or the new one, and a link
    // planted at the path is replaced, never written through.
    std::string temporary = path + ".tmp." + std::to_string(getpid());
    unlink(temporary.c_str());
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0 || !writeAndClose(fd, bytes) || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool readHostFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    bytes = text.str();
    return true;
}

bool blankDir(const std::string& dir) {
    DIR* handle = opendir(dir.c_str());
    if (!handle) {
        return errno == ENOENT;
    }
    bool blank = true;
    while (const dirent* entry = readdir(handle)) {
        blank = blank && (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0);
    }
    closedir(handle);
    return blank;
}

bool seedRoot(const std::string& root, const std::string& family, bool replace,
              std::string& error) {
    std::string target = realDir(root);
    size_t slash = target.rfind('/');
    std::string parent = slash == 0 ? "/" : target.substr(0, slash);
    if (!makeDirs(parent)) {
        error = "cannot create " + parent;
        return false;
    }
    removeLeftByDeadRuns(parent, target.substr(slash + 1) + kSeeding);
    std::string fresh = target + kSeeding + std::to_string(getpid());
    removeHostTree(fresh);
    if (!writeSeed(fresh, family, error)) {
        removeHostTree(fresh);
        return false;
    }
    bool placed = replace && swapDirs(fresh, target);
    int why = errno;
    if (!placed && (!replace || why == ENOENT)) {
        placed = rename(fresh.c_str(), target.c_str()) == 0;
        why = errno;
    }
    removeHostTree(fresh);  // ours when it was not placed; after a swap, the disk replaced
    if (placed) {
        return true;
    }
    // Another run may have seeded the root meanwhile: its disk is used.
    if ((why == ENOTEMPTY || why == EEXIST) && !rootFamily(target).empty()) {
        return true;
    }
    error = "cannot put the seeded disk in place at " + target + ": " + strerror(why);
    return false;
}

std::string rootFamily(const std::string& root) {
    std::string text;
    if (!readHostFile(root + kFamilyMark, text)) {
        return "";
    }
    for (const char* family : {"dome", "thermal"}) {
        if (text.compare(0, strlen(family), family) == 0) {
            return family;
        }
    }
    return "box";
}

bool writeSignFile(const std::string& root, const std::string& level, std::string& error) {
    std::string path = root + platform::kSignFile;
    if (level == "off") {
        if (unlink(path.c_str()) != 0 && errno != ENOENT) {
            error = "cannot remove " + path;
            return false;
        }
        return true;
    }
    // First line the level, second whether failed assertions abort (never here).
    if (!writeHostFile(path, level + "\n0\n")) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}
