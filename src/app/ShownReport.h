#pragma once

// For measuring start-up: with BRINDLEWAVE_REPORT_SHOWN set in the
// environment, the program writes the line "shown" to standard output once its
// main window has been exposed and painted for the first time, and then runs
// on as usual. Without the variable nothing is watched. Header-only, on Qt
// alone, so that the bare window the start-up benchmark compares against
// reports the same moment in the same way.

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWindow>

#include <cstdio>

class ShownReport : public QObject {
public:
    // Watches `window` (already created, e.g. by show()) for its first expose.
    explicit ShownReport(QWindow *window, QObject *parent = nullptr) : QObject(parent)
    {
        if (window)
            window->installEventFilter(this);
    }

    static bool isAsked() { return qEnvironmentVariableIsSet("BRINDLEWAVE_REPORT_SHOWN"); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *window = qobject_cast<QWindow *>(watched);
        if (event->type() == QEvent::Expose && window && window->isExposed()) {
            window->removeEventFilter(this);
            // Queued: the paint this expose asks for runs first.
            QTimer::singleShot(0, this, [] {
                std::fputs("shown\n", stdout);
                std::fflush(stdout);
            });
        }
        return false;
    }
};
