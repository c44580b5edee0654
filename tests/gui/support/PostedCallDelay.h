#pragma once
// The delay from posting a call to the window thread until its event loop
// runs it, in milliseconds (-1 when it has not run within 30 seconds).

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace dovra::test {

inline double postedCallDelayMs() {
    QEventLoop loop;
    QElapsedTimer clock;
    double delay = -1.0;
    clock.start();
    QTimer::singleShot(0, &loop, [&] {
        delay = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    return delay;
}

} // namespace dovra::test
