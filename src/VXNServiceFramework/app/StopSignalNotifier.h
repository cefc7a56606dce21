#pragma once

#include <QObject>

#include <csignal>

#include <functional>
#include <vector>

class QSocketNotifier;

// Turns the termination signals into a call on the thread that creates it (the main thread), from
// its event loop: the handler only writes the signal number to a pipe, the event loop reads it.
// One instance at a time; destroying it restores the handlers it replaced.
class StopSignalNotifier : public QObject {
public:
    StopSignalNotifier(std::vector<int> signalNumbers, std::function<void(int)> onSignal,
                       QObject* parent = nullptr);
    ~StopSignalNotifier() override;

    StopSignalNotifier(const StopSignalNotifier&) = delete;
    StopSignalNotifier& operator=(const StopSignalNotifier&) = delete;

    bool isActive() const { return m_notifier != nullptr; }

private:
    void readSignals();

    std::function<void(int)> m_onSignal;
    std::vector<int> m_signals;
    std::vector<struct sigaction> m_previous;
    QSocketNotifier* m_notifier = nullptr;
};
