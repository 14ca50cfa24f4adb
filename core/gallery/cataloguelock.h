// The right to change one catalogue, shared by every process and workstation
// that uses the gallery folder: a lock file beside the catalogue, created
// exclusively and removed when done. A lock left by a crashed process is taken
// over, so a crash never locks the gallery for good.
#pragma once

#include <QString>

class CatalogueLock {
public:
    enum Result { Taken, Busy, Unwritable };

    // A lock held longer than this is taken to be abandoned: a change holds it
    // for the time of one small rewrite.
    static constexpr int StaleSeconds = 30;

    explicit CatalogueLock(const QString& catalogueFile);
    ~CatalogueLock();
    CatalogueLock(const CatalogueLock&) = delete;
    CatalogueLock& operator=(const CatalogueLock&) = delete;

    // Tries for up to `timeoutMs` milliseconds. Unwritable when the folder
    // does not let a lock file be created at all.
    Result Acquire(int timeoutMs);
    void Release();

    // "<catalogue>.lock".
    static QString LockFileName(const QString& catalogueFile);

    // True when the lock file's owner, "<pid> <host>" as its first line, is a
    // process gone from this host, or the file is older than StaleSeconds.
    static bool IsStale(const QString& lockFile);

private:
    bool tryCreate(int& error);
    bool takeOverStale();

    QString m_path;
    bool m_held = false;
};
