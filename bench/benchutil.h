// Shared output and timing for the benchmark cases: each figure on its own line as
// "NAME = VALUE UNIT", a case ending with "ratio = VALUE".
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace bench {

inline QTextStream& out()
{
    static QTextStream s(stdout);
    return s;
}

inline void figure(const QString& name, double value, const QString& unit)
{
    out() << name << " = " << QString::number(value, 'f', 3) << ' ' << unit << Qt::endl;
}

inline void ratio(double value)
{
    out() << "ratio = " << QString::number(value, 'f', 3) << Qt::endl;
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Wall time of one call, in milliseconds.
inline double elapsedMs(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

// Median wall time of `runs` calls, in milliseconds.
inline double medianMs(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(elapsedMs(work));
    return median(times);
}

} // namespace bench
