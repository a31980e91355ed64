#include "tools/sample/SampleCamera.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace {

int removeEntry(const char* path, const struct stat*, int, struct FTW*) {
    return remove(path);
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool makeDirs(const std::string& dir) {
    for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        std::string part = dir.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0755) != 0 && !isDirectory(part)) {
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

bool readRegularFile(const std::string& path, std::string& bytes) {
    int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    bytes.clear();
    char buffer[8192];
    while (ok) {
        ssize_t got = read(fd, buffer, sizeof(buffer));
        if (got > 0) {
            bytes.append(buffer, static_cast<size_t>(got));
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            ok = false;
        }
    }
    close(fd);
    return ok;
}

bool writeWholeFile(const std::string& path, const std::string& bytes) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    return fd >= 0 && writeAndClose(fd, bytes);
}

namespace {

// Adds the regular files below dataDir/relative, by their path under dataDir.
bool readTree(const std::string& dataDir, const std::string& relative,
              std::vector<SampleFile>& files, std::string& error) {
    std::string dirPath = dataDir + "/" + relative;
    DIR* dir = opendir(dirPath.c_str());
    if (!dir) {
        const char* why = strerror(errno);
        error = "cannot read " + dirPath + ": " + why;
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0) {
            names.push_back(entry->d_name);
        }
    }
    closedir(dir);
    for (const std::string& name : names) {
        std::string path = relative + "/" + name;
        std::string hostPath = dataDir + "/" + path;
        struct stat st;
        if (lstat(hostPath.c_str(), &st) != 0) {
            const char* why = strerror(errno);
            error = "cannot read " + hostPath + ": " + why;
            return false;
        }
        if (S_ISDIR(st.st_mode)) {
            if (!readTree(dataDir, path, files, error)) {
                return false;
            }
        } else if (S_ISREG(st.st_mode)) {
            SampleFile file;
            file.path = path;
            if (!readRegularFile(hostPath, file.bytes)) {
                error = "cannot read " + hostPath;
                return false;
            }
            files.push_back(file);
        }
    }
    return true;
}

bool startsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

}  // namespace

bool readSampleData(const std::string& dataDir, std::vector<SampleFile>& files,
                    std::string& error) {
    std::vector<SampleFile> read;
    for (const char* top : {"hd1", "cameras"}) {
        if (!readTree(dataDir, top, read, error)) {
            return false;
        }
    }
    std::sort(read.begin(), read.end(),
              [](const SampleFile& a, const SampleFile& b) { return a.path < b.path; });
    files.swap(read);
    return true;
}

std::string sampleCameraPlace(const std::string& dataPath, const std::string& family) {
    if (startsWith(dataPath, "hd1/")) {
        return dataPath;
    }
    std::string camera = "cameras/" + family + "/";
    return !family.empty() && startsWith(dataPath, camera) ? dataPath.substr(camera.size()) : "";
}

bool seedSampleCamera(const std::vector<SampleFile>& files, const std::string& family,
                      const std::string& root, std::string& error) {
    std::vector<const SampleFile*> shared, own;
    for (const SampleFile& file : files) {
        if (startsWith(file.path, "hd1/")) {
            shared.push_back(&file);
        } else if (!sampleCameraPlace(file.path, family).empty()) {
            own.push_back(&file);
        }
    }
    if (root.empty()) {
        error = "no root to seed";  // the disk would land on the real paths
        return false;
    }
    if (own.empty()) {
        error = "no sample camera of the family '" + family + "'";
        return false;
    }
    if (!makeDirs(root)) {
        error = "cannot create " + root;
        return false;
    }
    // The family's files last, so that they win over shared ones.
    shared.insert(shared.end(), own.begin(), own.end());
    for (const SampleFile* file : shared) {
        std::string path = root + "/" + sampleCameraPlace(file->path, family);
        if (!makeDirs(path.substr(0, path.rfind('/')))) {
            error = "cannot create " + path.substr(0, path.rfind('/'));
            return false;
        }
        if (!writeWholeFile(path, file->bytes)) {
            error = "cannot write " + path;
            return false;
        }
    }
    return true;
}

void removeHostTree(const std::string& path) {
    nftw(path.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

bool writeAndClose(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    return close(fd) == 0 && done == bytes.size();
}
