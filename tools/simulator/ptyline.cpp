#include "tools/simulator/ptyline.h"

#include "platform/sys/pseudoterminal.h"
#include "platform/sys/serialport.h"

namespace irsim {

std::unique_ptr<TPtyLine> TPtyLine::Create(QString &error)
{
    std::string reason;
    std::unique_ptr<platform::PseudoTerminal> pty = platform::PseudoTerminal::Open(reason);
    if (!pty) {
        error = QStringLiteral("cannot make a pseudo-terminal: %1").arg(QString::fromStdString(reason));
        return nullptr;
    }
    return std::unique_ptr<TPtyLine>(new TPtyLine(std::move(pty)));
}

TPtyLine::TPtyLine(std::unique_ptr<platform::PseudoTerminal> pty)
    : Pty(std::move(pty)), Readable(Pty->farFd(), QSocketNotifier::Read)
{
    connect(&Readable, &QSocketNotifier::activated, this, &TPtyLine::readAvailable);
}

TPtyLine::~TPtyLine() = default;

QString TPtyLine::Path() const
{
    return QString::fromStdString(Pty->portPath());
}

qsizetype TPtyLine::Send(const QByteArray &bytes)
{
    const platform::IoResult r = platform::WriteSome(Pty->farFd(), bytes.constData(), static_cast<size_t>(bytes.size()));
    return r.status == platform::IoStatus::Ok ? static_cast<qsizetype>(r.count) : 0;
}

void TPtyLine::readAvailable()
{
    QByteArray bytes;
    char buffer[4096];
    for (;;) {
        const platform::IoResult r = platform::ReadSome(Pty->farFd(), buffer, sizeof buffer);
        if (r.status == platform::IoStatus::Ok) {
            bytes.append(buffer, static_cast<qsizetype>(r.count));
            continue;
        }
        if (r.status != platform::IoStatus::WouldBlock) {
            // The pair holds its own port descriptor, so this is no hang-up by the program but a
            // broken pseudo-terminal: stop listening rather than spin on it.
            Readable.setEnabled(false);
            emit Notice(QStringLiteral("the pseudo-terminal failed, no longer reading it"));
        }
        break;
    }
    if (!bytes.isEmpty())
        emit Received(bytes);
}

} // namespace irsim
