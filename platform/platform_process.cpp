// Child processes, the PATH and directories for the offline runs, on POSIX and on Windows. Holds no
// state.
#include "platform/platform.h"

#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <windows.h>  // the parent's console
#include <direct.h>   // _mkdir, _getcwd, _chdir
#include <io.h>       // _isatty, _access
#else
#include <signal.h>   // SIGPIPE
#include <sys/wait.h> // the child's exit status
#include <unistd.h>
#endif

constexpr int MAX_COMMAND_LINE = 8192;   // bytes; the encoder's arguments with quoted paths
constexpr int MAX_PATH_NAME = 4096;

// Appends text to line behind a space, quoted for the system's command interpreter. False when it
// does not fit.
static bool appendArgument(char *line, int capacity, const char *text) {
    size_t length = strlen(line);
#ifdef _WIN32
    // cmd.exe: double quotes; Windows names cannot contain one.
    if (strchr(text, '"')) return false;
    const int needed = snprintf(line + length, capacity - length, "%s\"%s\"", length ? " " : "", text);
#else
    // sh: single quotes, a quote inside becomes '\''.
    char quoted[MAX_COMMAND_LINE];
    size_t q = 0;
    quoted[q++] = '\'';
    for (const char *c = text; *c; c++) {
        if (q + 5 >= sizeof quoted) return false;
        if (*c == '\'') {
            memcpy(quoted + q, "'\\''", 4);
            q += 4;
        } else {
            quoted[q++] = *c;
        }
    }
    quoted[q++] = '\'';
    quoted[q] = '\0';
    const int needed = snprintf(line + length, capacity - length, "%s%s", length ? " " : "", quoted);
#endif
    return needed >= 0 && (size_t)needed < capacity - length;
}

FILE *platformStartWriter(const char *const *argv) {
    static char line[MAX_COMMAND_LINE];
#ifdef _WIN32
    // _popen hands the line to cmd.exe /c, which strips one outer pair of quotes.
    strcpy(line, "\"");
    for (int i = 0; argv[i]; i++)
        if (!appendArgument(line, sizeof line - 1, argv[i])) return nullptr;
    strcat(line, "\"");
    return _popen(line, "wb");
#else
    signal(SIGPIPE, SIG_IGN);
    strcpy(line, "exec setsid");
    for (int i = 0; argv[i]; i++)
        if (!appendArgument(line, sizeof line, argv[i])) return nullptr;
    return popen(line, "w");
#endif
}

bool platformFinishWriter(FILE *stream) {
#ifdef _WIN32
    return _pclose(stream) == 0;
#else
    const int status = pclose(stream);
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
#endif
}

bool platformProgramOnPath(const char *name) {
    const char *path = getenv("PATH");
    if (!path) return false;
#ifdef _WIN32
    const char separator = ';';
    const char *const suffixes[] = {".exe", ".com", ""};
#else
    const char separator = ':';
    const char *const suffixes[] = {""};
#endif
    while (*path) {
        const char *end = strchr(path, separator);
        const size_t length = end ? (size_t)(end - path) : strlen(path);
        for (const char *suffix : suffixes) {
            char candidate[MAX_PATH_NAME];
            const int n = snprintf(candidate, sizeof candidate, "%.*s/%s%s", (int)length, path, name, suffix);
            if (length == 0 || n < 0 || n >= (int)sizeof candidate) continue;
#ifdef _WIN32
            struct _stat info;
            if (_stat(candidate, &info) == 0 && (info.st_mode & _S_IFREG)) return true;
#else
            if (access(candidate, X_OK) == 0) return true;
#endif
        }
        if (!end) break;
        path = end + 1;
    }
    return false;
}

bool platformIsTerminal(FILE *stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream));
#else
    return isatty(fileno(stream));
#endif
}

bool platformMakeDirectory(const char *path) {
    struct stat info;
    if (stat(path, &info) == 0 && (info.st_mode & S_IFDIR)) return true;
#ifdef _WIN32
    return _mkdir(path) == 0;
#else
    return mkdir(path, 0755) == 0;
#endif
}

bool platformPathExists(const char *path) {
    struct stat info;
    return stat(path, &info) == 0;
}

bool platformWorkingFolder(char *folder, int capacity) {
#ifdef _WIN32
    return _getcwd(folder, capacity) != nullptr;
#else
    return getcwd(folder, capacity) != nullptr;
#endif
}

bool platformChangeFolder(const char *folder) {
#ifdef _WIN32
    return _chdir(folder) == 0;
#else
    return chdir(folder) == 0;
#endif
}

static bool isAbsolute(const char *path) {
#ifdef _WIN32
    // A network name, a name from the root of the current drive, or one with a drive letter.
    if (path[0] == '\\' || path[0] == '/') return true;
    return path[0] && path[1] == ':';
#else
    return path[0] == '/';
#endif
}

bool platformAbsolutePath(const char *path, char *absolute, int capacity) {
    if (isAbsolute(path)) return snprintf(absolute, capacity, "%s", path) < capacity;
    char folder[MAX_PATH_NAME];
    if (!platformWorkingFolder(folder, sizeof folder)) return false;
    const size_t length = strlen(folder);
    const bool separated = length > 0 && (folder[length - 1] == '/' || folder[length - 1] == '\\');
    const int n = snprintf(absolute, capacity, "%s%s%s", folder, separated ? "" : "/", path);
    return n >= 0 && n < capacity;
}

#ifdef _WIN32
// A handle counts when the system knows what it leads to: a file, a pipe or a console.
static bool validStandardHandle(DWORD which) {
    HANDLE handle = GetStdHandle(which);
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}
#endif

void platformAttachConsole() {
#ifdef _WIN32
    const bool out = validStandardHandle(STD_OUTPUT_HANDLE), err = validStandardHandle(STD_ERROR_HANDLE);
    if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (!out) freopen("CONOUT$", "w", stdout);
    if (!err) freopen("CONOUT$", "w", stderr);
#endif
}

bool platformFileStamp(const char *path, int64_t *modifiedNs, int64_t *bytes) {
    struct stat info;
    if (stat(path, &info) != 0 || !(info.st_mode & S_IFREG)) return false;
#ifdef _WIN32
    *modifiedNs = (int64_t)info.st_mtime * 1000000000;
#else
    *modifiedNs = (int64_t)info.st_mtim.tv_sec * 1000000000 + info.st_mtim.tv_nsec;
#endif
    *bytes = (int64_t)info.st_size;
    return true;
}
