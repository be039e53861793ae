#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGHUP and SIGINT (a logout or shutdown, a closed terminal, Ctrl+C) as a Qt signal
// on the main thread, so that the program ends through its event loop and saves what it must
// instead of dying where it stands.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    // Catches the signals from now on, before any window exists; one that comes before an
    // object of this class is made waits for it.
    static void install();

    // Reports the signals caught (installing the handlers first when needed).
    explicit TerminationSignals(QObject* parent = nullptr);

Q_SIGNALS:
    void received(int signal);

private:
    QSocketNotifier* m_notifier = nullptr;
};
