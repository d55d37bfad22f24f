#pragma once
// Median wall time of repeated runs, in milliseconds.
#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

inline double MedianMs(int Runs, const std::function<void()> &Work)
{
    std::vector<double> times;
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        Work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
