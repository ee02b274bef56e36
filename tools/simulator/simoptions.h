#pragma once
// The simulator's command line.
#include <QString>
#include <QStringList>
#include <optional>

namespace irsim {

enum class TLinkMode { Listen, Connect };

// Ways for a module to misbehave, so that the program's handling of them can be tried.
struct TFaults {
    bool Silent = false;    // take every command, answer nothing
    bool Garbage = false;   // random bytes instead of every answer
    bool Oversized = false; // learned codes longer than the 1000 bytes a reply may hold
    bool Drop = false;      // drop the connection on every command instead of answering
    int SplitPieces = 1;    // answers cut into this many pieces ...
    int SplitGapMs = 3;     // ... sent this far apart
};

struct TBehaviour {
    int LearnDelayMs = 500;
    bool LearnTimesOut = false;
    QString CodeName; // empty: a different built-in code on each learn
    TFaults Faults;
};

struct TSimOptions {
    TLinkMode Mode = TLinkMode::Listen;
    QString Host = QStringLiteral("127.0.0.1"); // where connecting modules go
    QString Bind = QStringLiteral("0.0.0.0");   // where listening modules listen
    quint16 Port = 5000;                        // listening: the first module's port; connecting: the program's
    int Modules = 1;
    int RetryMs = 1000;
    int RestartDelayMs = 1000;
    TBehaviour Behaviour;
    QString Serial; // the first module's serial line: empty none, "pty" a new pseudo-terminal, else a device
};

struct TParsedOptions {
    std::optional<TSimOptions> Options; // set when the simulator should run
    QString Text;                       // the help text, or the reason the command line was refused
};

// arguments[0] is the program name.
TParsedOptions ParseOptions(const QStringList &arguments);

} // namespace irsim
