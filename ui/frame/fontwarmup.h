// Reads the system's fonts into Qt's font list on another core while the window
// is built: left to the first text laid out, reading the font configuration and the
// list makes the window wait for them.
#pragma once

#include <thread>

class FontWarmup {
public:
    FontWarmup() = default;
    // Joins the reading; the application object must still exist.
    ~FontWarmup();
    FontWarmup(const FontWarmup&) = delete;
    FontWarmup& operator=(const FontWarmup&) = delete;

    // Starts the reading, once; needs the application object. Qt's font list is
    // safe to use from any thread, so the window's first text simply finds it
    // read, or waits for the rest.
    void start();

private:
    std::thread m_thread;
};
