#include "serial/unitzvcommdevicesettings.h"

#include "serial/unitzvcommdevicesettingsportitem.h"
#include "platform/sys/strconv.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>

#include <array>
#include <exception>
#include <functional>
#include <limits>
#include <optional>

namespace PelmComm {

namespace {

constexpr int kClientWidth = 414;
constexpr int kClientHeight = 260;
constexpr int kBoxHeight = 21;
constexpr int kButtonTop = 230;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kMinBufferSize = 4096;

using TParity = TZvCustomCommDevice::TParity;
using TStopBits = TZvCustomCommDevice::TStopBits;
using TFlowControl = TZvCustomCommDevice::TFlowControl;

// Leading blanks, an optional sign and the digits up to the first other character; no digits give 0.
// A number beyond 32 bits stops growing at the nearest limit.
int32_t LeadingNumber(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = std::min<int64_t>(value * 10 + (text[i].unicode() - u'0'), int64_t(1) << 31);
    value = negative ? -value : value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// The whole text as a signed 32-bit integer, as typed fields are converted everywhere.
std::optional<int32_t> WholeInteger(const QString &s)
{
    return platform::StrToIntValue(s.toStdString());
}

std::optional<int32_t> FieldInteger(const QLineEdit *edit)
{
    const QString text = edit->text().trimmed();
    return text.isEmpty() ? std::nullopt : WholeInteger(text);
}

int FlowEntry(int32_t flow)
{
    switch (flow) {
    case TZvCustomCommDevice::fcRtsCts:
        return 1;
    case TZvCustomCommDevice::fcXonXoff:
    case TZvCustomCommDevice::fcTranXonXoff:
        return 2;
    case TZvCustomCommDevice::fcRtsCtsXonXoff:
        return 3;
    default:
        return 0;
    }
}

constexpr std::array<TFlowControl, 4> kFlowOfEntry = {TZvCustomCommDevice::fcNone, TZvCustomCommDevice::fcRtsCts,
                                                      TZvCustomCommDevice::fcXonXoff,
                                                      TZvCustomCommDevice::fcRtsCtsXonXoff};

int EntryOrNone(int value, int count)
{
    return value >= 0 && value < count ? value : -1;
}

QComboBox *NewList(QWidget *parent, int left, int top, int width, bool editable)
{
    auto *box = new QComboBox(parent);
    box->setGeometry(left, top, width, kBoxHeight);
    box->setEditable(editable);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

QLineEdit *NewEdit(QWidget *parent, int left, int top, int width)
{
    auto *edit = new QLineEdit(parent);
    edit->setGeometry(left, top, width, kBoxHeight);
    return edit;
}

QLabel *NewLabel(QWidget *parent, int left, int top, QWidget *buddy)
{
    auto *label = new QLabel(parent);
    label->move(left, top);
    label->setBuddy(buddy);
    return label;
}

QPushButton *NewButton(QWidget *parent, QStyle::StandardPixmap glyph)
{
    auto *button = new QPushButton(parent);
    button->setGeometry(0, kButtonTop, kButtonWidth, kButtonHeight);
    button->setIcon(parent->style()->standardIcon(glyph));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

TForm_ZvCommDevice_Settings::TForm_ZvCommDevice_Settings(QWidget *owner, TZvCustomCommDevice *device,
                                                         bool openAfterOk, std::unique_ptr<TSerialPortSource> ports,
                                                         std::unique_ptr<TPortEvents> events)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      FDevice(device), FOpenAfterOk(openAfterOk), FPortInfo(std::make_unique<TCommSerialPortInfo>(std::move(ports))),
      FPortEvents(std::move(events))
{
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(kClientWidth, kClientHeight);
    createControls();
    setCaptions();
    fillPorts();
    placeButtons();

    FWasActive = FDevice->Active();
    FRemembered.PortName = FDevice->PortName();
    FRemembered.BaudRate = FDevice->BaudRate();
    FRemembered.ByteSize = FDevice->ByteSize();
    FRemembered.Parity = FDevice->Parity();
    FRemembered.StopBits = FDevice->StopBits();
    FRemembered.FlowControl = FDevice->FlowControl();
    FRemembered.AutoAnswer = FDevice->AutoAnswer();
    FRemembered.InBufSize = FDevice->InBufSize();
    FRemembered.OutBufSize = FDevice->OutBufSize();
    showSettings();
    connect(FPortEvents.get(), &TPortEvents::PortAdded, this, &TForm_ZvCommDevice_Settings::refreshPorts);
    connect(FPortEvents.get(), &TPortEvents::PortRemoved, this, &TForm_ZvCommDevice_Settings::refreshPorts);

    // Centred on the program's main window rather than on the window that asked for the dialog.
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow *>(top) && top->isVisible()) {
            move(top->frameGeometry().center() - QPoint(kClientWidth / 2, kClientHeight / 2));
            break;
        }
    }
}

TForm_ZvCommDevice_Settings::~TForm_ZvCommDevice_Settings() = default;

void TForm_ZvCommDevice_Settings::createControls()
{
    GboxBase = new QGroupBox(this);
    GboxBase->setGeometry(8, 8, 398, 121);
    CbPort = NewList(GboxBase, 64, 24, 322, true);
    lbPort = NewLabel(GboxBase, 8, 27, CbPort);
    CbSelBaud = NewList(GboxBase, 64, 56, 117, true);
    lbBaud = NewLabel(GboxBase, 8, 59, CbSelBaud);
    CbParity = NewList(GboxBase, 64, 88, 117, false);
    lbCheck = NewLabel(GboxBase, 8, 91, CbParity);
    CbByteSize = NewList(GboxBase, 269, 56, 117, false);
    lbBits = NewLabel(GboxBase, 213, 59, CbByteSize);
    CbStopBits = NewList(GboxBase, 269, 88, 117, false);
    lbStops = NewLabel(GboxBase, 213, 91, CbStopBits);

    GBoxModem = new QGroupBox(this);
    GBoxModem->setGeometry(8, 135, 193, 89);
    CbFlow = NewList(GBoxModem, 80, 24, 101, false);
    lbFlow = NewLabel(GBoxModem, 8, 27, CbFlow);
    EditAutoAns = NewEdit(GBoxModem, 80, 56, 101);
    lbAAns = NewLabel(GBoxModem, 8, 59, EditAutoAns);

    GBoxBuffer = new QGroupBox(this);
    GBoxBuffer->setGeometry(213, 135, 193, 89);
    EditInBufSize = NewEdit(GBoxBuffer, 80, 24, 101);
    lbInbs = NewLabel(GBoxBuffer, 8, 27, EditInBufSize);
    EditOutBufSize = NewEdit(GBoxBuffer, 80, 56, 101);
    lbOutbs = NewLabel(GBoxBuffer, 8, 59, EditOutBufSize);

    BnOK = NewButton(this, QStyle::SP_DialogOkButton);
    BnOK->setDefault(true);
    BnCancel = NewButton(this, QStyle::SP_DialogCancelButton);

    CbSelBaud->addItems({"110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200", "38400", "56000",
                         "57600", "115200", "128000", "256000"});
    CbByteSize->addItems({"5", "6", "7", "8"});
    CbStopBits->addItems({"1", "1.5", "2"});

    QWidget *previous = nullptr;
    for (QWidget *w : std::initializer_list<QWidget *>{CbPort, CbSelBaud, CbParity, CbByteSize, CbStopBits, CbFlow,
                                                       EditAutoAns, EditInBufSize, EditOutBufSize, BnOK, BnCancel}) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
    for (QObject *o : std::initializer_list<QObject *>{CbPort, CbPort->lineEdit(), CbSelBaud, CbSelBaud->lineEdit(),
                                                       CbParity, CbByteSize, CbStopBits, CbFlow, EditAutoAns,
                                                       EditInBufSize, EditOutBufSize})
        o->installEventFilter(this);

    connect(BnOK, &QPushButton::clicked, this, &TForm_ZvCommDevice_Settings::BnOKClick);
    connect(BnCancel, &QPushButton::clicked, this, &TForm_ZvCommDevice_Settings::BnCancelClick);
}

void TForm_ZvCommDevice_Settings::setCaptions()
{
    const TMsgStrings msg;
    setWindowTitle(msg.fGetMsg(msgCaption));
    GboxBase->setTitle(msg.fGetMsg(msgGboxBase));
    GBoxModem->setTitle(msg.fGetMsg(msgGBoxModem));
    GBoxBuffer->setTitle(msg.fGetMsg(msgGBoxBuffer));
    const std::pair<QLabel *, TMsgIndex> labels[] = {
        {lbPort, msgPort},  {lbBaud, msgBaud},   {lbCheck, msgParity},  {lbBits, msgByteSize}, {lbStops, msgStopBits},
        {lbFlow, msgFlow},  {lbAAns, msgAutoAns}, {lbInbs, msgInBuf},   {lbOutbs, msgOutBuf},
    };
    for (const auto &[label, index] : labels) {
        label->setText(msg.fGetMsg(index));
        label->adjustSize();
    }
    BnOK->setText(msg.fGetMsg(msgOK));
    BnCancel->setText(msg.fGetMsg(msgCancel));
    CbParity->clear();
    for (int i = msgNoParity; i <= msgSpaceParity; ++i)
        CbParity->addItem(msg.fGetMsg(static_cast<TMsgIndex>(i)));
    CbFlow->clear();
    for (int i = msgFlowNone; i <= msgFlowRtsCtsXonXoff; ++i)
        CbFlow->addItem(msg.fGetMsg(static_cast<TMsgIndex>(i)));
}

void TForm_ZvCommDevice_Settings::changeEvent(QEvent *event)
{
    // The program's choice of language changed: the texts follow it, the choices stay.
    if (event->type() == QEvent::LanguageChange) {
        const int parity = CbParity->currentIndex();
        const int flow = CbFlow->currentIndex();
        setCaptions();
        CbParity->setCurrentIndex(parity);
        CbFlow->setCurrentIndex(flow);
    }
    QDialog::changeEvent(event);
}

void TForm_ZvCommDevice_Settings::fillPorts()
{
    const int itemHeight = QFontMetrics(font()).height() + 2;
    CbPort->setItemDelegate(new TPortItemDelegate(FPortInfo->PortList, itemHeight, CbPort));
    addPortItems();
}

void TForm_ZvCommDevice_Settings::addPortItems()
{
    CbPort->clear();
    const QFontMetrics metrics(CbPort->view()->font());
    int widest = 0;
    for (int i = 0; i < FPortInfo->PortList.SPCount(); ++i) {
        const TPelmSerialPortInfo *info = FPortInfo->PortList.SPInfo(i);
        const QString name = QString::fromStdString(info->PortName);
        CbPort->addItem(name);
        // The description the delegate paints, for screen readers and the pointer too.
        const QString friendly = QString::fromStdString(info->FriendlyName);
        CbPort->setItemData(i, friendly, Qt::AccessibleDescriptionRole);
        CbPort->setItemData(i, friendly, Qt::ToolTipRole);
        widest = std::max(widest, std::max(metrics.horizontalAdvance(name), TPortItemDelegate::MinNameWidth) +
                                      metrics.horizontalAdvance(friendly) + 8);
    }
    // A by-id name is long: the open list grows to show it whole, the field keeps its size.
    CbPort->view()->setMinimumWidth(widest + CbPort->view()->verticalScrollBar()->sizeHint().width());
}

void TForm_ZvCommDevice_Settings::refreshPorts()
{
    const QString text = CbPort->currentText();
    const int index = CbPort->currentIndex();
    if (index >= 0 && CbPort->itemText(index) == text) {
        const TPelmSerialPortInfo *chosen = FPortInfo->PortList.PortByName(text.toStdString());
        FChosenId = chosen ? chosen->PersistentId : std::string();
    } else if (text != FAwayText) {
        FChosenId.clear(); // typed by the user since
    }

    FPortInfo->Refresh();
    addPortItems();
    int again = -1;
    for (int i = 0; i < FPortInfo->PortList.SPCount() && !FChosenId.empty() && again < 0; ++i)
        if (FPortInfo->PortList.SPInfo(i)->PersistentId == FChosenId)
            again = i;
    if (again < 0)
        again = CbPort->findText(text, Qt::MatchFixedString);
    CbPort->setCurrentIndex(again);
    if (again < 0)
        CbPort->setEditText(text);
    FAwayText = again < 0 ? text : QString();
}

void TForm_ZvCommDevice_Settings::placeButtons()
{
    // The window manager adds the frame only when the window is shown; until then the outer width
    // is the client width.
    const int formWidth = frameGeometry().width();
    BnOK->move((formWidth - BnOK->width()) / 2 - 60, kButtonTop);
    BnCancel->move((formWidth - BnCancel->width()) / 2 + 60, kButtonTop);
}

void TForm_ZvCommDevice_Settings::showSettings()
{
    const TRemembered &r = FRemembered;
    const int port = CbPort->findText(QString::fromStdString(r.PortName), Qt::MatchFixedString);
    CbPort->setCurrentIndex(port);
    if (port < 0)
        CbPort->setEditText(QString());

    const QString baud = QString::number(r.BaudRate);
    CbSelBaud->setCurrentIndex(CbSelBaud->findText(baud, Qt::MatchExactly));
    CbSelBaud->setEditText(baud);

    CbByteSize->setCurrentIndex(EntryOrNone(r.ByteSize - 5, CbByteSize->count()));
    CbParity->setCurrentIndex(EntryOrNone(r.Parity, CbParity->count()));
    CbStopBits->setCurrentIndex(EntryOrNone(r.StopBits, CbStopBits->count()));
    CbFlow->setCurrentIndex(FlowEntry(r.FlowControl));
    EditAutoAns->setText(QString::number(r.AutoAnswer));
    EditInBufSize->setText(QString::number(r.InBufSize));
    EditOutBufSize->setText(QString::number(r.OutBufSize));
}

QWidget *TForm_ZvCommDevice_Settings::focusedField() const
{
    const QWidget *fields[] = {CbPort,      CbSelBaud,   CbParity,      CbByteSize,    CbStopBits,
                               CbFlow,      EditAutoAns, EditInBufSize, EditOutBufSize};
    for (QWidget *w = focusWidget(); w && w != this; w = w->parentWidget()) {
        for (const QWidget *field : fields) {
            if (w == field)
                return w;
        }
    }
    return nullptr;
}

bool TForm_ZvCommDevice_Settings::MoveCtrlFocus()
{
    QWidget *const walk[] = {CbPort,      CbSelBaud,   CbParity,      CbByteSize,    CbStopBits,
                             CbFlow,      EditAutoAns, EditInBufSize, EditOutBufSize};
    QWidget *focused = focusedField();
    for (size_t i = 0; i + 1 < std::size(walk); ++i) {
        if (walk[i] == focused) {
            walk[i + 1]->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return false;
}

bool TForm_ZvCommDevice_Settings::refuse(QWidget *control, TMsgIndex message)
{
    control->setFocus(Qt::OtherFocusReason);
    showError(TMsgStrings().fGetMsg(message));
    return false;
}

bool TForm_ZvCommDevice_Settings::checkEntries(TRemembered &entered)
{
    // A device path may be typed as well as picked, so only an empty port is refused.
    const QString port = CbPort->currentText().trimmed();
    if (port.isEmpty())
        return refuse(CbPort, msgErrPort);
    const int listed = CbPort->findText(port, Qt::MatchFixedString);
    entered.PortName = (listed >= 0 ? CbPort->itemText(listed) : port).toStdString();

    const QString baud = CbSelBaud->currentText().trimmed();
    if (baud.isEmpty())
        return refuse(CbSelBaud, msgErrBaud);
    entered.BaudRate = static_cast<uint32_t>(LeadingNumber(baud));

    if (CbByteSize->currentIndex() < 0)
        return refuse(CbByteSize, msgErrByteSize);
    entered.ByteSize = CbByteSize->currentIndex() + 5;
    if (CbParity->currentIndex() < 0)
        return refuse(CbParity, msgErrParity);
    entered.Parity = CbParity->currentIndex();
    if (CbStopBits->currentIndex() < 0)
        return refuse(CbStopBits, msgErrStopBits);
    entered.StopBits = CbStopBits->currentIndex();
    if (CbFlow->currentIndex() < 0)
        return refuse(CbFlow, msgErrFlow);
    entered.FlowControl = kFlowOfEntry[static_cast<size_t>(CbFlow->currentIndex())];

    const auto autoAnswer = FieldInteger(EditAutoAns);
    if (!autoAnswer || *autoAnswer < 0 || *autoAnswer > 255)
        return refuse(EditAutoAns, msgErrAutoAns);
    entered.AutoAnswer = *autoAnswer;
    const auto inBuf = FieldInteger(EditInBufSize);
    if (!inBuf || *inBuf < kMinBufferSize)
        return refuse(EditInBufSize, msgErrInBuf);
    entered.InBufSize = *inBuf;
    const auto outBuf = FieldInteger(EditOutBufSize);
    if (!outBuf || *outBuf < kMinBufferSize)
        return refuse(EditOutBufSize, msgErrOutBuf);
    entered.OutBufSize = *outBuf;
    return true;
}

std::array<std::function<void()>, 10> TForm_ZvCommDevice_Settings::writes(const TRemembered &v, bool active)
{
    TZvCustomCommDevice *const d = FDevice;
    return {
        [=] { d->SetPortName(v.PortName); },
        [=] { d->SetBaudRate(v.BaudRate); },
        [=] { d->SetParity(static_cast<TParity>(v.Parity)); },
        [=] { d->SetByteSize(v.ByteSize); },
        [=] { d->SetStopBits(static_cast<TStopBits>(v.StopBits)); },
        [=] { d->SetFlowControl(static_cast<TFlowControl>(v.FlowControl)); },
        [=] { d->SetAutoAnswer(v.AutoAnswer); },
        [=] { d->SetInBufSize(v.InBufSize); },
        [=] { d->SetOutBufSize(v.OutBufSize); },
        [=] { d->SetActive(active); },
    };
}

void TForm_ZvCommDevice_Settings::BnOKClick()
{
    if (MoveCtrlFocus())
        return;
    TRemembered entered;
    if (!checkEntries(entered))
        return;
    try {
        for (const auto &write : writes(entered, FWasActive || FOpenAfterOk))
            write();
    } catch (const std::exception &e) {
        for (const auto &write : writes(FRemembered, FWasActive)) {
            try {
                write();
            } catch (...) {
            }
        }
        CbPort->setFocus(Qt::OtherFocusReason);
        showError(QString::fromUtf8(e.what()));
        return;
    }
    accept();
}

void TForm_ZvCommDevice_Settings::BnCancelClick()
{
    reject();
}

void TForm_ZvCommDevice_Settings::showError(const QString &text)
{
    QMessageBox box(QMessageBox::Critical, windowTitle(), text, QMessageBox::Ok, this);
    box.exec();
}

bool TForm_ZvCommDevice_Settings::eventFilter(QObject *watched, QEvent *event)
{
    // Enter walks through the fields and Escape cancels, whether or not the field would take the key.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            BnOKClick();
            return true;
        }
        if (key == Qt::Key_Escape) {
            BnCancelClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void InstallCommDeviceSettingsDialog()
{
    TZvCustomCommDevice::SetSettingsDialogRunner([](TZvCustomCommDevice *device, QObject *owner, bool openAfterOk) {
        QWidget *parent = nullptr;
        for (QObject *o = owner; o && !parent; o = o->parent())
            parent = qobject_cast<QWidget *>(o);
        TForm_ZvCommDevice_Settings dialog(parent ? parent->window() : nullptr, device, openAfterOk);
        return dialog.exec() == QDialog::Accepted;
    });
}

} // namespace PelmComm
