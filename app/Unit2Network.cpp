// The configuration window's network write, through the main window's link.
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "platform/qt/socketlink.h"

#include <QMessageBox>

void TForm2::BitBtn2Click()
{
    setResult(nullptr);
    SaveSettings(SettingsPath());
    const QByteArray frame = parameterFrame();
    const TTarget target = Form1->TargetConnection();
    switch (target.Outcome) {
    case TTarget::Connection:
        target.Link->SendBuf(frame.constData(), frame.size());
        break;
    case TTarget::NoSelection:
        QMessageBox::critical(this, tr("提示信息框"), tr("设置前，请在主窗口列表内先选择模块。。。"));
        break;
    case TTarget::NoLink:
        QMessageBox::critical(this, tr("提示信息框"), tr("设置前，请确认模块已经和电脑建立连接。。。"));
        break;
    }
}
