// Shared helpers for the Qt Test executables: a private host environment (INI,
// photo database and store, temporary folder, gallery) per test, image
// comparison, message-box answering, a file-size limit standing in for a full
// disk, a workspace with a plain photograph, a closed clip and brackets, and a
// shown window with a photograph open.
#pragma once

#include "core/commands/commandenv.h"
#include "core/output/compositerenderer.h"
#include "core/workspace/workspace.h"
#include "ui/frame/ckestrindoc.h"
#include "ui/frame/cmainframe.h"

#include <QApplication>
#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QString>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <array>
#include <csignal>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>

namespace testutils {

// Writes the bytes as the whole file; false when it cannot.
inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Points every host path at a fresh temporary folder so that no test reads or
// writes the user's own INI, photo database, photo store or temporary folder.
struct IsolatedHost {
    IsolatedHost()
    {
        qputenv("MOLVEX_INI", path("Molvex.ini").toLocal8Bit());
        qputenv("MOLVEX_PHOTODB", path("photos.db").toLocal8Bit());
        qputenv("MOLVEX_PHOTOSTORE", path("store").toLocal8Bit());
        qputenv("MOLVEX_TEMP", path("temp/").toLocal8Bit());
        // An empty gallery of its own, so no test depends on (or waits on a
        // message about) the folder beside the test executable.
        QDir(dir.path()).mkpath("temp");
        QDir(dir.path()).mkpath("gallery");
        writeBytes(path("gallery/bracket.csv"), {});
        QSettings(path("Molvex.ini"), QSettings::IniFormat)
            .setValue("DB_DIR/GALLERY", path("gallery/"));
    }
    ~IsolatedHost()
    {
        for (const char* name :
            { "MOLVEX_INI", "MOLVEX_PHOTODB", "MOLVEX_PHOTOSTORE", "MOLVEX_TEMP" })
            qunsetenv(name);
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

// A picture whose pixels encode their own position, so that a turned, mirrored
// or shifted copy can be checked pixel by pixel.
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
    bool same = a.size() == b.size();
    for (int y = 0; same && y < a.height(); ++y)
        for (int x = 0; same && x < a.width(); ++x)
            for (QRgb p = a.pixel(x, y), q = b.pixel(x, y), s = 0; same && s < 32; s += 8)
                same = qAbs(int(p >> s & 0xFF) - int(q >> s & 0xFF)) <= tolerance;
    return same;
}

// The current row's value in `column`, for a value used once.
template <typename T> T fetch(const char* column)
{
    return *static_cast<T*>(QTest::qData(column, qMetaTypeId<T>()));
}

// How many pixels of `area` satisfy `test` (given the pixel's position).
template <typename Test> int countPixels(const QRect& area, Test test)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += bool(test(QPoint(x, y)));
    return n;
}

// The composite of the panes the workspace's layout shows, as it is saved.
inline QImage composite(const Workspace& ws)
{
    const PaneLayout& l = ws.m_layout;
    return CompositeRenderer(ws, l.shownSlots(), l.rows(), l.cols()).render();
}

// Answers every message box that comes up while it lives (with its default
// button) and remembers the texts, so a test can check what the user was told
// without the modal loop blocking it.
struct MessageBoxCloser {
    MessageBoxCloser()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->defaultButton() ? box->defaultButton()->click() : box->accept();
            }
        });
        timer.start(20);
    }
    QStringList texts;
    QTimer timer;
};

// Limits how large this process may make a file, so that writes beyond it fail
// as they do on a full disk. SIGXFSZ would otherwise end the test.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old);
        const rlimit limit { bytes, old.rlim_max };
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete; // would restore the limit twice
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    rlimit old {};
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
};

// The picture's file bytes in a format Qt can write ("png", "jpeg", "bmp").
inline QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    image.save(&buffer, format); // opens the buffer itself
    return bytes;
}

// The file's bytes, or "<unreadable>" (not a FIFO: that would block).
inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Permission bits of the file or link itself; -1 when nothing is there.
inline int modeOf(const QString& path)
{
    struct stat info { };
    return lstat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

// "3 1 -2" as {3, 1, -2}: keeps rows of number sequences on one line of a table.
inline QVector<int> ints(const QString& text)
{
    QVector<int> values;
    for (const QString& part : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        values << part.toInt();
    return values;
}

// The text as a Windows machine writes it for the practice's files.
inline QByteArray cp932(const QString& text) { return QStringEncoder("CP932").encode(text); }

// One of the project's programs in the build folder's app/.
inline QString programPath(const QString& name)
{
    return qEnvironmentVariable("KESTRIN_BINARY_DIR") + "/app/" + name;
}

// A w x h picture of one colour.
inline QImage filled(QSize size, const QColor& colour, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(size, format);
    image.fill(colour);
    return image;
}

// A bracket-like picture: transparent surround, opaque core whose pixels encode
// their position.
inline QImage bracketPicture(int w, int h)
{
    QImage image = filled({ w, h }, Qt::transparent, QImage::Format_ARGB32);
    const QRect core(QPoint(w / 8, h / 8), QPoint(w * 7 / 8 - 1, h * 7 / 8 - 1));
    QPainter(&image).drawImage(
        core.topLeft(), positionImage(w, h, QImage::Format_ARGB32).copy(core));
    return image;
}

// Fills the host's gallery: three pictures of odd sizes and four lines, the
// third naming a missing picture and the last an inner bracket.
inline void makeGallery(const IsolatedHost& host)
{
    const QString folder = host.path("gallery/");
    bracketPicture(101, 51).save(folder + "bracket0001.png");
    bracketPicture(37, 83).save(folder + "bracket0002.png");
    bracketPicture(59, 45).save(folder + "bracket0004.png");
    writeBytes(folder + "bracket.csv",
        "bracket0001.png,B-metal,Steel,NiTi .014,V0,M0,outer\r\n"
        "bracket0002.png,A-ceramic,Alumina,SS .016,V1,M1,outer\r\n"
        "bracket0003.png,Gone,Nothing,None,V2,M2,outer\r\n"
        "bracket0004.png,C-lingual,Gold,TMA .017,V3,M3,inner\r\n");
}

// Runs `action` once on the first modal window of type T that comes up, for
// dialogs that the code under test runs with exec().
template <typename T> void whenModal(std::function<void(T*)> action)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop(); // the action may run an event loop of its own
            timer->deleteLater();
            action(window);
        }
    });
    timer->start(10);
}

// An opaque w x h picture of one colour, written once into `dir`.
inline QString solidPicture(const QString& dir, int w, int h, QRgb colour)
{
    const QString path
        = QStringLiteral("%1/solid%2x%3-%4.png").arg(dir).arg(w).arg(h).arg(colour, 8, 16);
    const QImage picture = filled({ w, h }, colour, QImage::Format_ARGB32);
    if (!QFile::exists(path) && !picture.save(path))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

inline void setPhoto(Workspace& ws, const QImage& photo)
{
    ws.m_pPhoto = std::make_unique<QImage>(photo.convertToFormat(QImage::Format_RGB32));
    ws.resetForNewPhoto();
}

// Closes the clip through `points` (photograph pixels).
inline void closeClip(Workspace& ws, const QVector<QPoint>& points)
{
    ws.m_clip.Clear();
    for (const QPoint& p : points)
        ws.m_clip.AddPoint(p.x(), p.y());
    ws.m_clip.BuildClosedCurve();
    ws.m_bClipDefining = false;
    ws.m_bClipClosed = true;
}

// A solid picture of `size` loaded as bracket `id` centred near `centre`, scaled
// and turned.
inline QBracket bracket(const QString& dir, QSize size, QRgb colour, QPoint centre,
    double angle = 0.0, double scale = 1.0, int id = 0, bool output = true)
{
    QBracket b;
    if (!b.Init(id, -1, solidPicture(dir, size.width(), size.height(), colour), centre.x(),
            centre.y(), QString(), output))
        qFatal("cannot load a test picture");
    b.m_dScale = scale;
    b.ApplyScale();
    b.m_dAngle = angle;
    b.UpdateFrames();
    return b;
}

// Such a bracket pasted into `slot`.
inline QBracket& addBracket(Workspace& ws, const QString& dir, int slot, QSize size, QRgb colour,
    QPoint centre, double angle = 0.0, double scale = 1.0, bool output = true)
{
    auto& brackets = ws.m_slot[size_t(slot)].arBrackets;
    return brackets.emplace_back(
        bracket(dir, size, colour, centre, angle, scale, int(brackets.size()), output));
}

// "0.5 3 -2" as {0.5, 3, -2}: the same for rows that need fractions.
inline QVector<double> reals(const QString& text)
{
    QVector<double> values;
    for (const QString& part : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        values << part.toDouble();
    return values;
}

// Declares a table's columns in one line: columns<QSize, double>({ "picture", "angle" }).
template <typename... T> void columns(const std::array<const char*, sizeof...(T)>& names)
{
    size_t i = 0;
    (QTest::addColumn<T>(names[i++]), ...);
}

// A pointer move with `buttons` held (QTest's mouseMove holds none).
inline void moveHeld(QWidget* widget, QPointF to, Qt::MouseButtons buttons = Qt::LeftButton)
{
    QMouseEvent move(QEvent::MouseMove, to, widget->mapToGlobal(to), Qt::NoButton, buttons, {});
    QApplication::sendEvent(widget, &move);
}

// The main window shown at `size` with `photo` open, in a private host of its own
// (made first, so the window reads none of the user's settings).
struct OpenFrame {
    OpenFrame(const QImage& photo, QSize size)
    {
        QVERIFY(photo.save(host.path("p.png")) && doc.OnOpenDocument(host.path("p.png")));
        frame.resize(size);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
    }
    IsolatedHost host;
    CMainFrame frame;
    CKestrinDoc doc { &frame };
};

// A window stand-in for command handlers: a workspace of its own, and a record of
// what the handlers ask of the window. Every question is answered Yes; the status
// bar is the one bar hidden.
struct RecordingEnv : CommandEnv {
    Workspace ws;
    QStringList calls;
    Workspace& workspace() override { return ws; }
    void scaleChanged() override { calls << "scale"; }
    void panesChanged() override { calls << "panes"; }
    void layoutChanged(bool rescale) override { calls << (rescale ? "layout+" : "layout"); }
    void focusActivePane() override { calls << "focus"; }
    bool isBarVisible(Bar bar) const override { return bar != Bar::StatusBar; }
    void setBarVisible(Bar bar, bool on) override
    {
        calls << QString("bar%1=%2").arg(int(bar)).arg(on);
    }
    void run(Task task) override { calls << QString("run%1").arg(int(task)); }
    bool ask(int) override
    {
        calls << "ask";
        return true;
    }
};

} // namespace testutils
