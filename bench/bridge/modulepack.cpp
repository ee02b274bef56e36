#include "bench/bridge/modulepack.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace {

const QByteArray KeepAliveFrame("\xFF\x00\x00\xFA", 4);
const QByteArray EmitDone("\xFF\x00\x00\xFD", 4);
const QByteArray ClearNotice("CLEAR");

} // namespace

TModulePack::TModulePack(int count, QObject *parent) : QObject(parent)
{
    for (int i = 0; i < count; ++i) {
        auto m = std::make_unique<TModule>();
        m->Address = QStringLiteral("127.0.%1.%2").arg(1 + i / 250).arg(1 + i % 250);
        modules_.push_back(std::move(m));
    }
}

TModulePack::~TModulePack() = default;

QString TModulePack::Id(int index) const
{
    return QString(modules_[index]->Address).replace(QLatin1Char('.'), QLatin1Char('-'));
}

void TModulePack::DialIn(quint16 port)
{
    for (auto &module : modules_) {
        TModule *m = module.get();
        m->Socket = new QTcpSocket(this);
        connect(m->Socket, &QTcpSocket::connected, this, [this] { ++linked_; });
        connect(m->Socket, &QTcpSocket::readyRead, this, [this, m] { read(*m); });
        m->Socket->bind(QHostAddress(m->Address), 0);
        m->Socket->connectToHost(QHostAddress::LocalHost, port);
    }
}

void TModulePack::read(TModule &m)
{
    m.Pending += m.Socket->readAll();
    while (!m.Pending.isEmpty()) {
        if (m.Pending.startsWith(ClearNotice)) {
            m.Pending.remove(0, ClearNotice.size());
            continue;
        }
        if (m.Pending.size() < 4)
            return;
        const auto type = static_cast<unsigned char>(m.Pending[3]);
        if (m.Pending.startsWith(KeepAliveFrame)) {
            m.Socket->write(KeepAliveFrame);
            m.Pending.remove(0, 4);
            continue;
        }
        if (static_cast<unsigned char>(m.Pending[0]) != 0xFF || type != 0xFD) {
            m.Pending.clear();
            return;
        }
        const int length = static_cast<unsigned char>(m.Pending[1]) + 255 * static_cast<unsigned char>(m.Pending[2]);
        if (m.Pending.size() < 4 + length + 1)
            return;
        m.LastCode = TBenchClock::now();
        m.Socket->write(EmitDone);
        // At once, as a module answers: not on the loop's next turn.
        m.Socket->flush();
        m.Pending.remove(0, 4 + length + 1);
    }
}
