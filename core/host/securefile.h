// Writing and reading files in folders other people may share, without being
// steered by what they put there: a file is written beside its name and moved into
// place when complete (a planted link is replaced, never followed), reads never
// follow a link nor wait on a FIFO, and a folder is trusted only when it is ours
// and nobody else can write to it.
#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

class QFile;
class QIODevice;

class SecureFile {
public:
    // Why an operation failed, in terms the user can act on.
    enum Error {
        NoError,
        Locked, // someone else holds it
        Damaged, // it is there but not what it should be
        NoSpace, // disk or quota full
        NoPermission, // not allowed to read, write or create
        NotRegular, // a FIFO, device, folder or link where a file belongs
        Exists, // an exclusive create found something at the name
        Unsafe, // a folder owned by someone else or writable by others
        OtherError,
    };
    enum CommitMode {
        Replace, // the name ends up naming the new file, whatever was there
        Exclusive, // fails with Exists when anything, even a dangling link, has the name
    };

    // A new file for `path`, to be created with `mode` (the umask does not apply).
    explicit SecureFile(const QString& path, mode_t mode = 0600);
    ~SecureFile();
    SecureFile(const SecureFile&) = delete;
    SecureFile& operator=(const SecureFile&) = delete;

    // Removes what interrupted writes of the same kind left in the folder, then
    // creates the temporary file "<name>.XXXXXX" beside the target. The temporary
    // file stays locked while it is written, so a running writer's file is never
    // taken for an orphan.
    bool open();
    QIODevice* device() const;
    // Writes out, syncs and moves the file to its name; nothing is left under the
    // temporary name either way.
    bool commit(CommitMode mode = Replace);
    void cancel();
    Error error() const { return m_error; }
    QString fileName() const { return m_path; }

    // Writes `bytes` as a new file under `path` (see Replace).
    static Error writeFile(const QString& path, const QByteArray& bytes, mode_t mode = 0600);
    // Reads at most maxBytes of the regular file at `path`. A link is refused
    // unless followLinks; a FIFO or device is refused without blocking. *exists
    // tells a missing file from a refused one.
    static Error readFile(const QString& path, qint64 maxBytes, QByteArray* bytes,
        bool followLinks = false, bool* exists = nullptr);
    // NoError when `path` is missing or a regular file (through links), else
    // NotRegular: what is checked before a library opens the file by name.
    static Error checkRegularOrMissing(const QString& path);
    // Creates an empty file with O_EXCL: Exists when anything has the name. With
    // lockedFd the file stays open and locked there, for the caller to close, so
    // a sweep of abandoned files can tell it from one whose writer died.
    static Error createExclusive(const QString& path, mode_t mode = 0600, int* lockedFd = nullptr);
    // True when nobody holds the lock of the regular file at `path` (not a link).
    static bool isUnlocked(const QString& path);
    // Creates the folder and its missing parents, each created one with `mode`.
    static bool makeFolder(const QString& path, mode_t mode = 0700);
    // NoError when the folder is a real folder owned by this user that neither
    // group nor others can write; Unsafe, NotRegular or the lstat failure else.
    static Error checkPrivateFolder(const QString& path);
    // Removes unlocked temporary files "<stem>.<ext>.XXXXXX" that interrupted
    // writes of files ending in `suffix` (".jpg") left in `folder`.
    static int removeOrphans(const QString& folder, const QString& suffix);
    static Error errorOf(int errnoValue);
    // The mode an ordinary new file gets from this process's umask (0666 & ~umask).
    static mode_t ordinaryMode();

private:
    QString m_path;
    QString m_tempPath;
    mode_t m_mode;
    int m_fd = -1;
    QFile* m_file = nullptr;
    Error m_error = NoError;
};
