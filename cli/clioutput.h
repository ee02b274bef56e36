#pragma once
// How a command ends: a result on standard output, as text for people or as one JSON object for
// scripts, and progress and failures on standard error. Exit codes: 0 success, 1 failure,
// 2 a command line that cannot be run.
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <stdexcept>

enum TExitCode { ExitSuccess = 0, ExitFailure = 1, ExitUsage = 2 };

// A command stops with this; Id is the short word scripts match on ("usage", "timeout", ...).
class ECliError : public std::runtime_error {
public:
    ECliError(TExitCode exit, QString id, const QString &message)
        : std::runtime_error(message.toStdString()), Exit(exit), Id(std::move(id))
    {
    }
    TExitCode Exit;
    QString Id;
};

[[noreturn]] void UsageError(const QString &message);

class TCliOutput {
public:
    TCliOutput(QString command, bool json) : command_(std::move(command)), json_(json) {}

    bool Json() const { return json_; }
    // A line on standard error, in both output forms, so that scripts still read clean results.
    void Progress(const QString &line) const;
    // A record the input held but the command did not take: a line on standard error now, and an
    // entry {"name", "reason"} of the list "refused" in the JSON result or failure.
    void Refused(const QString &name, const QString &reason);
    // The command's result: fields go into the JSON object (with "command" and "ok" added), text is
    // what people read.
    void Result(QJsonObject fields, const QString &text) const;
    // Reports the failure and returns its exit code.
    int Failure(const ECliError &error) const;

private:
    void addRefused(QJsonObject &fields) const;

    QString command_;
    bool json_;
    QJsonArray refused_;
};

// Writes text to standard output or standard error as UTF-8.
void WriteOut(const QString &text);
void WriteErr(const QString &text);
