#pragma once
// The module load program (moduleload) as a child process: started, told to go, and watched for
// the moment every notice has arrived.
#include <QObject>
#include <QProcess>
#include <QString>

class TModuleSwarm : public QObject {
public:
    enum TMode { Burst, Serial };

    ~TModuleSwarm() override;

    // Starts the program and waits until it is ready to connect; false with Error() set otherwise.
    bool Start(int port, int count, TMode mode);
    // The modules start connecting.
    void Go();
    bool Notified() const { return notified_; }
    // Non-empty once the program reported a fault or ended early.
    QString Error() const { return error_; }
    // Closes every module's socket and waits for the program to end.
    void Stop();

private:
    void onOutput();

    QProcess process_;
    QByteArray output_;
    bool ready_ = false;
    bool notified_ = false;
    QString error_;
};
