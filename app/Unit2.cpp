#include "app/Unit2.h"

#include "app/Unit1.h"
#include "app/application.h"
#include "app/icons.h"
#include "app/keyfilter.h"
#include "platform/sys/inifile.h"
#include "platform/sys/localaddresses.h"
#include "serial/zvcommdevice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <algorithm>
#include <vector>

namespace {

constexpr int FormClientWidth = 595;
constexpr int FormClientHeight = 661;


} // namespace

TForm2::TForm2(TForm1 *mainForm, QWidget *parent, std::unique_ptr<PelmComm::TPortEvents> portEvents)
    : QDialog(parent), Form1(mainForm)
{
    const platform::SettingsPlace place = platform::ProgramSettingsPlace();
    settingsPath_ = place.folder + SettingsFileName;
    settingsFolderIsNew_ = place.created;
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(12);
    setFont(font);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(204, 236, 204));
    setPalette(pal);

    createControls();
    createStatusBar();
    createDevice();
    bindHandlers();
    retranslateUi();
    watchPorts(std::move(portEvents));
    setFixedSize(FormClientWidth, FormClientHeight);
    FormCreate();
}

// The device goes first: its threads may call back into the window until it is gone.
TForm2::~TForm2()
{
    delete ZvCommDevice1;
}

void TForm2::createControls()
{
    const QString groupStyle = "QGroupBox { border: 2px solid #b4b4b4; margin-top: 10px; font-weight: bold; }"
                               "QGroupBox::title { color: blue; subcontrol-origin: margin; left: 10px; }";

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setGeometry(10, 6, 400, 96);
    GroupBox1->setStyleSheet(groupStyle);
    Memo1 = new QPlainTextEdit(GroupBox1);
    Memo1->setGeometry(12, 22, 376, 64);
    Memo1->setReadOnly(true);
    Memo1->setFocusPolicy(Qt::NoFocus);

    GroupBox2 = new QGroupBox(this);
    GroupBox2->setGeometry(10, 108, 400, 512);
    GroupBox2->setStyleSheet(groupStyle);

    auto *modeLabel = label(QT_TR_NOOP("工作模式"), GroupBox2, 20, 28);
    modeLabel->setStyleSheet("color: red;");
    ComboBox1 = new QComboBox(GroupBox2);
    ComboBox1->setGeometry(96, 28, 200, 24);
    ComboBox1->addItems({QStringLiteral("  TCP_SERVER"), QStringLiteral("  TCP_CLIENT")});
    ComboBox1->setCurrentIndex(-1);
    modeLabel->setBuddy(ComboBox1);

    // Four rows of octet fields and the module port, then the target rows in Panel1.
    auto makeEdit = [&](int number, QWidget *parent, int x, int y, int w) {
        auto *e = new QLineEdit(QString::fromUtf8(ParameterDefaults[number - 1]), parent);
        e->setGeometry(x, y, w, 24);
        const bool wide = number == 13 || number == 18 || number == 23 || number == 24;
        e->setMaxLength(wide ? 5 : 3);
        edits_[number] = e;
        return e;
    };
    auto octetRow = [&](const char *caption, QWidget *parent, int y, int first) {
        QLabel *l = label(caption, parent, 20, y);
        for (int k = 0; k < 4; ++k)
            makeEdit(first + k, parent, 96 + k * 52, y, 46);
        l->setBuddy(edits_[first]);
    };
    octetRow(QT_TR_NOOP("模块IP"), GroupBox2, 66, 1);
    octetRow(QT_TR_NOOP("模块网关"), GroupBox2, 98, 5);
    octetRow(QT_TR_NOOP("子网掩码"), GroupBox2, 130, 9);
    label(QT_TR_NOOP("模块端口"), GroupBox2, 20, 162)->setBuddy(makeEdit(13, GroupBox2, 96, 162, 98));
    Image1 = new QLabel(GroupBox2);
    Image1->setPixmap(icons::Bracket(122));
    Image1->setGeometry(308, 64, 14, 122);

    Panel1 = new QFrame(GroupBox2);
    Panel1->setGeometry(10, 200, 380, 110);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    octetRow(QT_TR_NOOP("目标IP"), Panel1, 8, 14);
    label(QT_TR_NOOP("目标端口"), Panel1, 20, 40)->setBuddy(makeEdit(18, Panel1, 96, 40, 98));
    CheckBox1 = new QCheckBox(Panel1);
    CheckBox1->setGeometry(96, 74, 120, 24);
    Image2 = new QLabel(Panel1);
    Image2->setPixmap(icons::Bracket(58));
    Image2->setGeometry(298, 6, 14, 58);
    Image2->hide();

    Panel2 = new QFrame(GroupBox2);
    Panel2->setGeometry(10, 326, 380, 100);
    Panel2->setAutoFillBackground(true);
    Panel2->setStyleSheet("QFrame { background: rgb(0, 128, 192); } QLabel { color: yellow; }"
                          "QCheckBox { color: white; } QLineEdit { background: white; }");
    label(QT_TR_NOOP("模块MAC地址(10进制)"), Panel2, 12, 6, 200);
    for (int k = 0; k < 6; ++k)
        makeEdit(19 + k, Panel2, 12 + k * 60, 34, 54);
    CheckBox2 = new QCheckBox(Panel2);
    CheckBox2->setGeometry(12, 64, 200, 24);
    CheckBox2->setChecked(true);

    BitBtn3 = new QPushButton(GroupBox2);
    BitBtn3->setGeometry(10, 452, 120, 34);
    BitBtn2 = new QPushButton(GroupBox2);
    BitBtn2->setGeometry(140, 452, 120, 34);
    SpeedButton6 = new QPushButton(GroupBox2);
    SpeedButton6->setGeometry(270, 452, 120, 34);
    SpeedButton6->setFlat(true);
    SpeedButton6->setStyleSheet("QPushButton { border: 1px solid #808080; }");

    Edit1 = edits_[1], Edit2 = edits_[2], Edit3 = edits_[3], Edit4 = edits_[4], Edit5 = edits_[5];
    Edit6 = edits_[6], Edit7 = edits_[7], Edit8 = edits_[8], Edit9 = edits_[9], Edit10 = edits_[10];
    Edit11 = edits_[11], Edit12 = edits_[12], Edit13 = edits_[13], Edit14 = edits_[14], Edit15 = edits_[15];
    Edit16 = edits_[16], Edit17 = edits_[17], Edit18 = edits_[18], Edit19 = edits_[19], Edit20 = edits_[20];
    Edit21 = edits_[21], Edit22 = edits_[22], Edit23 = edits_[23], Edit24 = edits_[24];

    // The right column: the port and the files.
    Image6 = new QLabel(this);
    Image6->setPixmap(icons::LampOff(28));
    Image6->setGeometry(486, 20, 28, 28);
    Image5 = new QLabel(this);
    Image5->setPixmap(icons::LampOn(28));
    Image5->setGeometry(486, 20, 28, 28);
    Image5->hide();
    Button1 = new QPushButton(this);
    Button1->setGeometry(430, 58, 140, 32);
    ButtonSet1 = new QPushButton(this);
    ButtonSet1->setGeometry(430, 98, 140, 32);
    保存到文件 = new QPushButton(this);
    保存到文件->setGeometry(430, 400, 140, 32);
    Button2 = new QPushButton(this);
    Button2->setGeometry(430, 440, 140, 32);
    BitBtn1 = new QPushButton(this);
    BitBtn1->setGeometry(430, 578, 140, 34);
    BitBtn1->setAutoDefault(false);

    OpenDialog1 = new QFileDialog(this);
    SaveDialog1 = new QFileDialog(this);
    for (QFileDialog *dialog : {OpenDialog1, SaveDialog1})
        dialog->setOption(QFileDialog::DontUseNativeDialog);
}

void TForm2::createStatusBar()
{
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setGeometry(0, FormClientHeight - 24, FormClientWidth, 24);
    StatusBar1->setAutoFillBackground(true);
    QPalette pal = StatusBar1->palette();
    pal.setColor(QPalette::Window, QColor(166, 202, 240));
    StatusBar1->setPalette(pal);
    static const int widths[6] = {50, 40, 50, 60, 100, 50};
    for (int i = 0; i < 6; ++i) {
        auto *l = new QLabel(StatusBar1);
        l->setFixedWidth(widths[i]);
        l->setAlignment(Qt::AlignCenter);
        l->setFrameStyle(QFrame::Panel | (i == 0 || i == 2 ? QFrame::Raised : QFrame::Sunken));
        StatusBar1->addWidget(l);
        statusPanels_[i] = l;
    }
}

void TForm2::bindHandlers()
{
    const std::pair<bool (TForm2::*)(QChar), std::vector<int>> filters[] = {
        {&TForm2::Edit1KeyPress, {1, 14}},
        {&TForm2::Edit2KeyPress, {2, 6, 10, 15}},
        {&TForm2::Edit3KeyPress, {3, 7, 11, 16}},
        {&TForm2::Edit4KeyPress, {4, 8, 12, 17}},
        {&TForm2::Edit11KeyPress, {5, 9, 13, 18}},
    };
    for (const auto &[handler, numbers] : filters) {
        auto *filter = new TKeyPressFilter(this, [this, handler = handler](QChar key) { return (this->*handler)(key); });
        for (int n : numbers)
            filter->Attach(edits_[n]);
    }
    auto on = [this](auto *sender, auto signal, void (TForm2::*handler)()) {
        connect(sender, signal, this, [this, handler] { ReportErrors([&] { (this->*handler)(); }); });
    };
    on(ComboBox1, &QComboBox::activated, &TForm2::ComboBox1Change);
    on(Edit3, &QLineEdit::textChanged, &TForm2::Edit3Change);
    on(Edit4, &QLineEdit::textChanged, &TForm2::Edit4Change);
    on(CheckBox2, &QCheckBox::clicked, &TForm2::CheckBox2Click);
    on(BitBtn1, &QPushButton::clicked, &TForm2::BitBtn1Click);
    on(Button1, &QPushButton::clicked, &TForm2::Button1Click);
    on(ButtonSet1, &QPushButton::clicked, &TForm2::ButtonSet1Click);
    on(BitBtn3, &QPushButton::clicked, &TForm2::BitBtn3Click);
    on(SpeedButton6, &QPushButton::clicked, &TForm2::SpeedButton6Click);
    on(BitBtn2, &QPushButton::clicked, &TForm2::BitBtn2Click);
    on(保存到文件, &QPushButton::clicked, &TForm2::保存到文件Click);
    on(Button2, &QPushButton::clicked, &TForm2::Button2Click);
}

QLabel *TForm2::label(const char *source, QWidget *parent, int x, int y, int w)
{
    auto *l = new QLabel(parent);
    l->setGeometry(x, y, w, 24);
    captions_.emplace_back(l, source);
    return l;
}

void TForm2::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateUi();
    QDialog::changeEvent(event);
}

void TForm2::retranslateUi()
{
    setWindowTitle(tr("  串口设置红外模块网络接入参数设置（串口波特率115200）"));
    GroupBox1->setTitle(tr(" 获取到的本机IP "));
    Memo1->setAccessibleName(tr("获取到的本机IP"));
    GroupBox2->setTitle(tr(" 模块网络参数设置 "));
    for (const auto &[l, source] : captions_)
        l->setText(tr(source));
    ComboBox1->setAccessibleName(tr("工作模式"));
    for (int n = 1; n <= ParameterEditCount; ++n)
        edits_[n]->setAccessibleName(tr("参数") + QString::number(n));
    CheckBox1->setText(tr("超时重启"));
    // The panel has room to the right where a longer text needs it.
    CheckBox1->resize(std::max(120, CheckBox1->sizeHint().width()), CheckBox1->height());
    CheckBox2->setText(tr("后2位从IP同步"));
    BitBtn3->setText(tr("串口写入数据"));
    BitBtn2->setText(tr("网络写入数据"));
    BitBtn2->setToolTip(tr("网络写入数据时，请将电脑设置成和红外模块同网段，然后选择模块IP，进行设置"));
    SpeedButton6->setText(tr("串口获取数据"));
    ButtonSet1->setText(tr("串口选择"));
    保存到文件->setText(tr("保存到文件"));
    Button2->setText(tr("从文件读取"));
    BitBtn1->setText(tr("退出设置"));
    setPanel(0, tr("串口号"));
    setPanel(2, tr("状态"));
    setPanel(5, tr("开发组"));
    // The state panel stays empty until the port has first been tried.
    const bool stateShown = !PanelText(3).isEmpty();
    showPortState();
    if (!stateShown)
        setPanel(3, QString());
    setResult(resultSource_);
}

QString TForm2::SettingsFolderNotice() const
{
    return tr("程序所在的文件夹不能写入，设置文件保存在：\n") + QString::fromStdString(settingsPath_);
}

void TForm2::FormCreate()
{
    for (const std::string &address : platform::LocalIPv4Addresses())
        Memo1->appendPlainText(QString::fromStdString(address));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm2::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        ReportErrors([this] { FormShow(); });
}

void TForm2::FormShow()
{
    for (int n = 1; n <= ParameterEditCount; ++n)
        edits_[n]->setAlignment(Qt::AlignCenter);
    Edit4->setFocus();
    LoadSettings(SettingsPath());
    setPanel(1, portText());
    setResult(nullptr);
    if (CheckBox2->isChecked())
        syncMac();
}

void TForm2::done(int result)
{
    ReportErrors([this] { FormClose(); });
    QDialog::done(result);
}

void TForm2::BitBtn1Click()
{
    FormClose();
    done(7);
}

QString TForm2::PanelText(int index) const
{
    return statusPanels_.at(index)->text();
}

void TForm2::setPanel(int index, const QString &text)
{
    statusPanels_.at(index)->setText(text);
}

void TForm2::setResult(const char *source)
{
    resultSource_ = source;
    setPanel(4, source ? tr(source) : QString());
}

bool TForm2::Edit1KeyPress(QChar key)
{
    return IsDigitKey(key);
}

bool TForm2::Edit2KeyPress(QChar key)
{
    return IsDigitKey(key);
}

bool TForm2::Edit3KeyPress(QChar key)
{
    return IsDigitKey(key);
}

bool TForm2::Edit4KeyPress(QChar key)
{
    return IsDigitKey(key);
}

bool TForm2::Edit11KeyPress(QChar key)
{
    return IsDigitKey(key);
}

void TForm2::showWorkModeBrackets(int index)
{
    if (index != 0 && index != 1)
        return;
    Image1->setVisible(index == 0);
    Image2->setVisible(index == 1);
}

void TForm2::ComboBox1Change()
{
    showWorkModeBrackets(ComboBox1->currentIndex());
}

void TForm2::syncMac()
{
    Edit23->setText(Edit3->text());
    Edit24->setText(Edit4->text());
}

void TForm2::Edit3Change()
{
    if (CheckBox2->isChecked())
        syncMac();
}

void TForm2::Edit4Change()
{
    if (CheckBox2->isChecked())
        syncMac();
}

void TForm2::CheckBox2Click()
{
    if (CheckBox2->isChecked())
        syncMac();
}

QByteArray TForm2::parameterFrame() const
{
    TParameterTexts texts;
    for (int n = 1; n <= ParameterEditCount; ++n)
        texts[n - 1] = edits_[n]->text();
    return BuildParameterFrame(texts, ComboBox1->currentIndex() == 0 ? 0 : 1, CheckBox1->isChecked());
}
