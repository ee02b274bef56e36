// The configuration window's serial side: the port, the serial write and read, and the module's
// answers on the serial line.
#include "app/Unit2.h"

#include "app/application.h"
#include "core/convert.h"
#include "platform/sys/inifile.h"
#include "serial/zvcommdevice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

constexpr int ReplyBufferSize = 1000;

} // namespace

void TForm2::createDevice()
{
    ZvCommDevice1 = new PelmComm::TZvCommDevice(this);
    ZvCommDevice1->SetPortParams("COM3,115200,N,8,1");
    ZvCommDevice1->SetPackageType(PelmComm::cptFrameTimeout);
    ZvCommDevice1->SetPackageInterval(50);
    ZvCommDevice1->SetPackageSize(4096);
    ZvCommDevice1->SetQueueSize(16);
    ZvCommDevice1->SetSyncEvents(false);
    ZvCommDevice1->SetUsePackage(true);
    ZvCommDevice1->OnPackage = [this](QObject *sender, int32_t notifyType) { ZvCommDevice1Package(sender, notifyType); };
    ZvCommDevice1->OnCommNotify = [this](QObject *sender, int32_t notifyType) {
        ZvCommDevice1CommNotify(sender, notifyType);
    };
}

QString TForm2::portText() const
{
    const int number = ZvCommDevice1->PortNo();
    return number > 0 ? QString::number(number) : QString::fromStdString(ZvCommDevice1->PortName());
}

// While a lost adapter is away its lamp is greyed and the button says so; pressing it still tries.
void TForm2::showPortState()
{
    const bool open = ZvCommDevice1->Active();
    const bool away = !open && portLost_;
    Image5->setVisible(open);
    Image6->setEnabled(!away);
    Image6->setToolTip(away ? tr("串口已断开，接回后可重新打开") : QString());
    Button1->setText(open ? tr("关闭串口") : away ? tr("串口已断开") : tr("打开串口"));
    setPanel(3, open ? tr("打开") : tr("关闭"));
}

void TForm2::Button1Click()
{
    setResult(nullptr);
    if (ZvCommDevice1->Active())
        ZvCommDevice1->SetActive(false);
    else
        openPort();
    showPortState();
}

// The port chosen in the dialog is the adapter meant from now on, by its by-id link where it has one.
void TForm2::ButtonSet1Click()
{
    if (ZvCommDevice1->SettingsDialog(this, true)) {
        portIdentity_ = currentIdentity();
        portLost_ = false;
        portSeen_ = true; // the dialog has just opened it
    }
    setPanel(1, portText());
    showPortState();
    savePort(SettingsPath());
}

void TForm2::FormClose()
{
    ZvCommDevice1->SetActive(false);
    portLost_ = false;
    showPortState();
}

void TForm2::sendOnPort(const QByteArray &frame, const char *refusal)
{
    if (!ZvCommDevice1->Active())
        openPort();
    showPortState();
    if (ZvCommDevice1->Active())
        ZvCommDevice1->Write(frame.constData(), static_cast<int32_t>(frame.size()));
    else
        QMessageBox::critical(this, tr("错误信息框"), tr(refusal));
}

void TForm2::BitBtn3Click()
{
    setResult(nullptr);
    SaveSettings(SettingsPath());
    sendOnPort(parameterFrame(), QT_TR_NOOP("串口没有打开"));
}

void TForm2::SpeedButton6Click()
{
    setResult(nullptr);
    sendOnPort(ReadRequestFrame(), QT_TR_NOOP("串口没有打开，请选择正确的串口。。。"));
}

// Runs on the framer's timer thread: only the device is touched here; the package's bytes go to
// the user-interface thread, which alone may change the window.
void TForm2::ZvCommDevice1Package(QObject *, int32_t)
{
    char buffer[ReplyBufferSize];
    const int32_t n = ZvCommDevice1->ReadPackage(buffer, ReplyBufferSize);
    if (n <= 0)
        return;
    const QByteArray package(buffer, n);
    QMetaObject::invokeMethod(this, [this, package] { ReportErrors([&] { takePackage(package); }); },
                              Qt::QueuedConnection);
}

// The engine reports a vanished device once, with EV_ERR; EV_ERR alone may also be a line error.
void TForm2::ZvCommDevice1CommNotify(QObject *, int32_t notifyType)
{
    if ((notifyType & PelmComm::TPelmComm::EV_ERR) && ZvCommDevice1->PortLost())
        QMetaObject::invokeMethod(this, [this] { ReportErrors([&] { portLost(); }); }, Qt::QueuedConnection);
}

// The port is closed at once, so that the indicators tell the truth and nothing waits on a device
// that is gone; they tell again when the adapter is back, and the user opens it then.
void TForm2::portLost()
{
    // Closed by the user, or opened again, since the loss was reported: nothing to tell.
    if (!ZvCommDevice1->Active() || !ZvCommDevice1->PortLost())
        return;
    const QString port = QString::fromStdString(ZvCommDevice1->PortName());
    ZvCommDevice1->SetActive(false);
    portLost_ = true;
    portSeen_ = false;
    showPortState();
    QMessageBox::critical(this, tr("错误信息框"), tr("串口 %1 已断开，请检查串口连接后重新打开串口。。。").arg(port));
}

void TForm2::takePackage(const QByteArray &package)
{
    if (const std::optional<TReadReply> reply = ParseReadReply(package)) {
        for (int n = 1; n <= 18; ++n)
            edits_[n]->setText(reply->Edits[n - 1]);
        // Work mode 2 is one the list cannot show: no entry, and the server bracket.
        switch (reply->WorkMode) {
        case 0:
        case 1:
            ComboBox1->setCurrentIndex(reply->WorkMode);
            showWorkModeBrackets(reply->WorkMode);
            break;
        case 2:
            ComboBox1->setCurrentIndex(-1);
            showWorkModeBrackets(0);
            break;
        default:
            break;
        }
        CheckBox1->setChecked(reply->RestartOnTimeout);
        // Filled after Edit3 and Edit4 (whose MAC synchronisation has run), so the reply's MAC wins.
        for (int n = 19; n <= ParameterEditCount; ++n)
            edits_[n]->setText(reply->Edits[n - 1]);
        setResult(QT_TR_NOOP("读取成功"));
    }
    if (IsWriteAcknowledgement(package))
        setResult(QT_TR_NOOP("设置成功"));
}
