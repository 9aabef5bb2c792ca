#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (a logout, `kill`, Ctrl+C in a terminal)
// into a Qt signal delivered on the user-interface thread, so that an end
// asked from outside runs the program's own clean end instead of killing it
// with its transcoder and working files in place.
//
// The handlers only write the signal number into a pipe; everything else runs
// from the event loop. One instance at a time; while it lives it owns the
// three signals' dispositions, and it restores the earlier ones when it goes.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // False when the pipe or the handlers could not be set up.
    bool isActive() const { return m_active; }

signals:
    void received(int signalNumber);

private:
    void readPending();

    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_active = false;
};
