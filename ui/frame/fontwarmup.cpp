#include "ui/frame/fontwarmup.h"

#include <QFontDatabase>
#include <QStringList>

#include <system_error>

FontWarmup::~FontWarmup()
{
    if (m_thread.joinable())
        m_thread.join();
}

void FontWarmup::start()
{
    if (m_thread.joinable())
        return;
    try {
        m_thread = std::thread([] { QFontDatabase::families(); });
    } catch (const std::system_error&) {
        // The first text reads the fonts itself.
    }
}
