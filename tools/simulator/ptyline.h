#pragma once
// A serial line on a pseudo-terminal: the program opens its port end by path, the module reads and
// writes the far end.
#include "tools/simulator/serialline.h"

#include <QSocketNotifier>
#include <memory>

namespace platform {
class PseudoTerminal;
}

namespace irsim {

class TPtyLine : public TSerialLine {
    Q_OBJECT
public:
    // Null with the reason in error when the system gives no pseudo-terminal.
    static std::unique_ptr<TPtyLine> Create(QString &error);
    ~TPtyLine() override;

    QString Path() const override;
    qsizetype Send(const QByteArray &bytes) override;

private:
    explicit TPtyLine(std::unique_ptr<platform::PseudoTerminal> pty);
    void readAvailable();

    std::unique_ptr<platform::PseudoTerminal> Pty;
    QSocketNotifier Readable;
};

} // namespace irsim
