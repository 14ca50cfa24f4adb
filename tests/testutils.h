// Shared helpers for the Qt Test executables: a private environment (INI, photo
// database, temporary folder, gallery) per test run, and image comparison.
#pragma once

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace testutils {

// Points every host path at a fresh temporary folder so that no test reads or
// writes the user's own INI, photo database or temporary folder.
class IsolatedHost {
public:
    IsolatedHost()
    {
        qputenv("MOLVEX_INI", path("Molvex.ini").toLocal8Bit());
        qputenv("MOLVEX_PHOTODB", path("photos.db").toLocal8Bit());
        QDir(dir.path()).mkpath("temp");
        qputenv("MOLVEX_TEMP", path("temp/").toLocal8Bit());
        // An empty gallery of its own, so no test depends on (or waits on a
        // message about) the folder beside the test executable.
        QDir(dir.path()).mkpath("gallery");
        QFile(path("gallery/bracket.csv")).open(QIODevice::WriteOnly);
        QSettings(path("Molvex.ini"), QSettings::IniFormat)
            .setValue("DB_DIR/GALLERY", path("gallery/"));
    }
    ~IsolatedHost()
    {
        qunsetenv("MOLVEX_INI");
        qunsetenv("MOLVEX_PHOTODB");
        qunsetenv("MOLVEX_TEMP");
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

// A picture of the given size whose pixels encode their own position, so that a
// turned or mirrored copy can be checked pixel by pixel.
inline QImage positionImage(int w, int h, QImage::Format format = QImage::Format_RGB32)
{
    QImage img(w, h, format);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgba(x * 255 / qMax(1, w - 1), y * 255 / qMax(1, h - 1), 128, 255));
    return img;
}

// True when both pictures have the same size and every pixel differs by at most
// `tolerance` in each channel (JPEG round trips need a little slack).
inline bool sameImage(const QImage& a, const QImage& b, int tolerance = 0)
{
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (qAbs(qRed(p) - qRed(q)) > tolerance || qAbs(qGreen(p) - qGreen(q)) > tolerance
                || qAbs(qBlue(p) - qBlue(q)) > tolerance || qAbs(qAlpha(p) - qAlpha(q)) > tolerance)
                return false;
        }
    return true;
}

// Answers every message box that comes up while it lives (with its default
// button) and remembers the texts, so a test can check what the user was told
// without the modal loop blocking it.
class MessageBoxCloser {
public:
    MessageBoxCloser()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                if (QPushButton* button = box->defaultButton())
                    button->click();
                else
                    box->accept();
            }
        });
        timer.start(20);
    }
    QStringList texts;

private:
    QTimer timer;
};

// Limits how large this process may make a file, so that writes beyond it fail
// as they do on a full disk. SIGXFSZ would otherwise end the test.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
};

// The file's bytes, or "<unreadable>" (not a FIFO: that would block).
inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Permission bits of the file or link itself; -1 when nothing is there.
inline int modeOf(const QString& path)
{
    struct stat info {};
    return lstat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

inline QString sourceDir() { return QString::fromLocal8Bit(qgetenv("KESTRIN_SOURCE_DIR")); }

} // namespace testutils
