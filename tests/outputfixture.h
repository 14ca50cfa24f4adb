// Helpers for the tests of the saved, registered and printed composite: a
// workspace with a plain photograph, a closed clip and solid-coloured brackets.
#pragma once

#include "core/workspace/workspace.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QString>
#include <QtTest>

#include <memory>

namespace outputfixture {

inline const QRgb photoColour = qRgb(40, 90, 200);
inline const QRgb bracketColour = qRgb(230, 30, 30);
inline const QRgb otherBracketColour = qRgb(20, 200, 40);

inline void setPhoto(Workspace& ws, const QImage& photo)
{
    ws.m_pPhoto = std::make_unique<QImage>(photo.convertToFormat(QImage::Format_RGB32));
    ws.resetForNewPhoto();
}

inline QImage plainPhoto(int w, int h, QRgb colour = photoColour)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

// Closes a clip through the corners of `box`; the closed spline bulges a little
// outside them, so tests sample well inside and well outside.
inline void closeClip(Workspace& ws, const QRect& box)
{
    ws.m_clip.Clear();
    for (const QPoint& p : { box.topLeft(), box.topRight(), box.bottomRight(), box.bottomLeft() })
        ws.m_clip.AddPoint(p.x(), p.y());
    ws.m_clip.BuildClosedCurve();
    ws.m_bClipDefining = false;
    ws.m_bClipClosed = true;
}

// A side x side opaque picture in `dir`, pasted into `slot` centred on (cx, cy).
inline QBracket& addBracket(Workspace& ws, const QString& dir, int slot, int side, QRgb colour,
    int cx, int cy, const QString& name, bool output = true, double angle = 0.0)
{
    static int serial = 0;
    const QString path = QStringLiteral("%1/bracket%2.png").arg(dir).arg(++serial);
    QImage picture(side, side, QImage::Format_ARGB32);
    picture.fill(colour);
    if (!picture.save(path))
        qFatal("cannot write %s", qPrintable(path));
    QBracket bracket;
    if (!bracket.Init(serial, -1, path, cx, cy, name, output))
        qFatal("cannot load %s", qPrintable(path));
    bracket.m_dAngle = angle;
    bracket.UpdateFrames();
    ws.m_slot[size_t(slot)].arBrackets.push_back(bracket);
    return ws.m_slot[size_t(slot)].arBrackets.back();
}

// An empty gallery in the isolated host's folder, so that a frame can be built
// without the missing-catalogue message.
inline void useEmptyGallery(const QString& hostFolder)
{
    const QString folder = hostFolder + QStringLiteral("/Gallery/");
    QDir().mkpath(folder);
    QFile catalogue(folder + QStringLiteral("bracket.csv"));
    if (!catalogue.open(QIODevice::WriteOnly))
        qFatal("cannot write the gallery");
    catalogue.close();
    QSettings ini(hostFolder + QStringLiteral("/Molvex.ini"), QSettings::IniFormat);
    ini.setValue(QStringLiteral("DB_DIR/GALLERY"), folder);
}

// Colour distance per channel, alpha ignored.
inline bool near(QRgb a, QRgb b, int tolerance)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
        && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

} // namespace outputfixture
