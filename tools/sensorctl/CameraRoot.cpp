#include "CameraRoot.h"

#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "EmbeddedData.h"

namespace {

const char* const kFamilyMark = "/sensorctl.family";
const char* const kSignFile = "/mnt/mtd/sign/Debug.sign";

bool makeDirs(const std::string& dir) {
    for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        std::string part = dir.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

// Where a file of the built-in data lands in a root of the family, or "".
std::string placeOf(const std::string& path, const std::string& family) {
    if (path.compare(0, 4, "hd1/") == 0) {
        return path;
    }
    std::string camera = "cameras/" + family + "/";
    return path.compare(0, camera.size(), camera) == 0 ? path.substr(camera.size()) : "";
}

}  // namespace

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
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
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

bool seedRoot(const std::string& root, const std::string& family, std::string& error) {
    if (!makeDirs(root)) {
        error = "cannot create " + root;
        return false;
    }
    for (size_t i = 0; i < kEmbeddedFileCount; ++i) {
        const EmbeddedFile& file = kEmbeddedFiles[i];
        std::string place = placeOf(file.path, family);
        std::string bytes(reinterpret_cast<const char*>(file.bytes), file.size);
        if (!place.empty() && !writeHostFile(root + "/" + place, bytes)) {
            error = "cannot write " + root + "/" + place;
            return false;
        }
    }
    return writeHostFile(root + kFamilyMark, family + "\n");
}

std::string rootFamily(const std::string& root) {
    std::string text;
    readHostFile(root + kFamilyMark, text);
    for (const char* family : {"dome", "thermal"}) {
        if (text.compare(0, strlen(family), family) == 0) {
            return family;
        }
    }
    return "box";
}

bool writeSignFile(const std::string& root, const std::string& level, std::string& error) {
    std::string path = root + kSignFile;
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
