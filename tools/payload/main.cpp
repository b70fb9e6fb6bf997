// tessellograph-payload: looks inside a built installer from Linux. Lists the
// three files its payload block carries, checks them against files on disk,
// or writes them out. Files are mapped, never read whole into memory.
#include <cerrno>
#include <cstdio>  // renameat2
#include <cstring>
#include <string>

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/payload/payload_reader.h"

enum { ExitDone = 0, ExitDiffers = 1, ExitFailed = 2 };

static const char Usage[] =
    "usage: tessellograph-payload list INSTALLER\n"
    "       tessellograph-payload verify INSTALLER MAIN ENGINE SAMPLE\n"
    "       tessellograph-payload extract [--force] INSTALLER FOLDER\n"
    "\n"
    "Looks inside a built TessellographInstall.exe at the three files its .payload\n"
    "section carries: Tessellograph.exe, Tessellograph3D.exe and Brick.tpf.\n"
    "\n"
    "  list     each file's install name, length and SHA-256, in block order,\n"
    "           then the installer's size without its payload\n"
    "  verify   compares the files with MAIN, ENGINE and SAMPLE byte for byte\n"
    "  extract  writes the files into FOLDER under their install names; a file\n"
    "           already there is an error unless --force is given, and a\n"
    "           failed extract leaves FOLDER as it was\n"
    "\n"
    "Exit status: 0 done (for verify: all three match), 1 verify found a\n"
    "difference, 2 a bad command line, an unreadable or malformed installer, or\n"
    "a failed write.\n";

struct MappedFile {
    const unsigned char* bytes;
    size_t size;
};

// One message per failure, naming the file it is about. Returns false for
// the callers that report failure that way.
static bool Complain(const std::string& path, const std::string& message) {
    fprintf(stderr, "tessellograph-payload: %s: %s\n", path.c_str(), message.c_str());
    return false;
}

static bool MapFile(const char* path, MappedFile* file) {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Complain(path, strerror(errno));
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return Complain(path, "not a regular file");
    }
    file->size = static_cast<size_t>(info.st_size);
    file->bytes = nullptr;
    if (file->size > 0) {  // mmap refuses an empty range
        void* mapped = mmap(nullptr, file->size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (mapped == MAP_FAILED) {
            int error = errno;
            close(fd);
            return Complain(path, strerror(error));
        }
        file->bytes = static_cast<const unsigned char*>(mapped);
    }
    close(fd);
    return true;
}

static bool OpenInstaller(const char* path, MappedFile* file, PayloadLayout* layout) {
    if (!MapFile(path, file)) return false;
    std::string problem;
    if (ReadPayloadLayout(file->bytes, file->size, layout, &problem)) return true;
    return Complain(path, problem);
}

static std::string Sha256Hex(const PayloadEntry& entry) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLength = 0;
    if (!EVP_Digest(entry.bytes, entry.length, digest, &digestLength, EVP_sha256(), nullptr)) {
        return "(SHA-256 failed)";
    }
    std::string hex;
    for (unsigned int i = 0; i < digestLength; i++) {
        char pair[3];
        snprintf(pair, sizeof pair, "%02x", digest[i]);
        hex += pair;
    }
    return hex;
}

static int List(const char* installer) {
    MappedFile file;
    PayloadLayout layout;
    if (!OpenInstaller(installer, &file, &layout)) return ExitFailed;
    for (const PayloadEntry& entry : layout.entries) {
        printf("%-20s %10u  %s\n", entry.installName, entry.length, Sha256Hex(entry).c_str());
    }
    printf("installer without its payload: %zu bytes\n", file.size - layout.blockLength);
    return ExitDone;
}

// Where two equally long ranges first differ, a chunk at a time so memcmp
// does the bulk of a large file.
static size_t FirstDifference(const unsigned char* a, const unsigned char* b, size_t length) {
    const size_t chunk = 65536;
    size_t at = 0;
    while (at + chunk <= length && memcmp(a + at, b + at, chunk) == 0) at += chunk;
    while (at < length && a[at] == b[at]) at++;
    return at;
}

static int Verify(const char* installer, char** paths) {
    MappedFile file;
    PayloadLayout layout;
    if (!OpenInstaller(installer, &file, &layout)) return ExitFailed;
    MappedFile others[PayloadEntryCount];
    for (int i = 0; i < PayloadEntryCount; i++) {
        if (!MapFile(paths[i], &others[i])) return ExitFailed;
    }
    int result = ExitDone;
    for (int i = 0; i < PayloadEntryCount; i++) {
        const PayloadEntry& entry = layout.entries[i];
        const MappedFile& other = others[i];
        if (other.size != entry.length) {
            printf("%s: differs from %s: %u bytes in the installer, %zu in the file\n",
                   entry.installName, paths[i], entry.length, other.size);
            result = ExitDiffers;
            continue;
        }
        size_t at = FirstDifference(entry.bytes, other.bytes, entry.length);
        if (at == entry.length) {
            printf("%s: matches %s\n", entry.installName, paths[i]);
        } else {
            printf("%s: differs from %s: first at offset %zu\n", entry.installName, paths[i], at);
            result = ExitDiffers;
        }
    }
    return result;
}

static bool WriteAll(int fd, const unsigned char* bytes, size_t length) {
    while (length > 0) {
        ssize_t written = write(fd, bytes, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

// Writes an entry under a hidden name of its own in the folder, flushed to
// disk, so that renaming it is the only step that makes it visible.
static bool WriteTemporary(const std::string& temporary, const PayloadEntry& entry) {
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return Complain(temporary, strerror(errno));
    bool written = WriteAll(fd, entry.bytes, entry.length) && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        unlink(temporary.c_str());
        return Complain(temporary, strerror(error));
    }
    return true;
}

// Puts a complete temporary in its final place. Without force, a file there,
// even one that appeared since the early check, is refused. With force, an
// old file is exchanged out and kept under the temporary name until the run
// is over, so that a later failure can put it back.
static bool Publish(bool force, const std::string& temporary, const std::string& final, bool* exchanged) {
    const char *from = temporary.c_str(), *to = final.c_str();
    if (force && renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE) == 0) {
        struct stat old;
        if (lstat(from, &old) != 0 || !S_ISDIR(old.st_mode)) return *exchanged = true;
        renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE);  // a folder is not overwritten
        errno = EISDIR;
    } else if ((!force || errno == ENOENT) && renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) {
        return true;
    }
    return Complain(final, errno == EEXIST ? "already exists (--force overwrites it)" : strerror(errno));
}

// Publishes the temporaries only when all three are complete, and on any
// failure takes back those published, last first, and removes every
// temporary: the folder is left as it was.
static bool WriteAndPublish(bool force, const PayloadLayout& layout, const std::string* temporaries,
                            const std::string* finals) {
    int written = 0, published = 0;
    bool exchanged[PayloadEntryCount] = {};
    while (written < PayloadEntryCount && WriteTemporary(temporaries[written], layout.entries[written])) {
        written++;
    }
    while (written == PayloadEntryCount && published < PayloadEntryCount &&
           Publish(force, temporaries[published], finals[published], &exchanged[published])) {
        published++;
    }
    bool done = published == PayloadEntryCount;
    while (!done && published-- > 0) {
        const char *temporary = temporaries[published].c_str(), *final = finals[published].c_str();
        if (exchanged[published]) {
            renameat2(AT_FDCWD, temporary, AT_FDCWD, final, RENAME_EXCHANGE);
        } else {
            rename(final, temporary);
        }
    }
    for (int i = 0; i < written; i++) {
        if (!done || exchanged[i]) unlink(temporaries[i].c_str());  // on success, the old files
        if (done) printf("%s  %u bytes\n", finals[i].c_str(), layout.entries[i].length);
    }
    return done;
}

// The installer is read whole before anything is written, and a file already
// in the folder stops the run before it starts unless told to overwrite. The
// folder is made only then, and removed again if the run fails.
static int Extract(bool force, const char* installer, const std::string& folder) {
    MappedFile file;
    PayloadLayout layout;
    if (!OpenInstaller(installer, &file, &layout)) return ExitFailed;
    std::string finals[PayloadEntryCount], temporaries[PayloadEntryCount];
    for (int i = 0; i < PayloadEntryCount; i++) {
        std::string name = layout.entries[i].installName;
        finals[i] = folder + "/" + name;
        temporaries[i] = folder + "/." + name + "." + std::to_string(getpid()) + ".part";
        struct stat existing;
        if (!force && lstat(finals[i].c_str(), &existing) == 0) {
            Complain(finals[i], "already exists (--force overwrites it)");
            return ExitFailed;
        }
    }
    bool made = mkdir(folder.c_str(), 0777) == 0;
    if (!made && errno != EEXIST) {
        Complain(folder, strerror(errno));
        return ExitFailed;
    }
    if (WriteAndPublish(force, layout, temporaries, finals)) return ExitDone;
    if (made) rmdir(folder.c_str());
    return ExitFailed;
}

int main(int argc, char** argv) {
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "-h" || command == "--help" || command == "help") {
        fputs(Usage, stdout);
        return ExitDone;
    }
    if (command == "list" && argc == 3) return List(argv[2]);
    if (command == "verify" && argc == 6) return Verify(argv[2], argv + 3);
    if (command == "extract" && argc == 4) return Extract(false, argv[2], argv[3]);
    if (command == "extract" && argc == 5 && std::string(argv[2]) == "--force") {
        return Extract(true, argv[3], argv[4]);
    }
    fputs(Usage, stderr);
    return ExitFailed;
}
