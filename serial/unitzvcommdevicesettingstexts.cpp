#include "serial/unitzvcommdevicesettings.h"

namespace PelmComm {

namespace {

using T = TForm_ZvCommDevice_Settings;

constexpr const char *kEnglish[T::msgCount] = {
    "Serial Port Setup", "Serial Port", "Modem", "Buffer",
    "Port", "Baud", "Parity", "Byte Size", "Stop Bits", "Flow Control", "Auto Answer", "Input Buf.", "Output Buf.",
    "&About", "&Default", "&OK", "&Cancel",
    "No parity", "Odd", "Even", "Mark", "Space Parity",
    "None", "RTS/CTS", "Xon/Xoff", "RTS/CTS & Xon/Xoff",
    "Must select COM Port", "Must select baud rate", "Must select byte size", "Must select parity check",
    "Must select stop bits", "Must select flow control",
    "Auto Answer: 0 - 255", "Input Buffer size error", "Output Buffer size error",
};

constexpr const char *kSimplified[T::msgCount] = {
    "串行口设置", "串行口选项", "调制解调器选项", "缓存容量",
    "串行口", "波特率", "奇偶校验", "数据位", "停止位", "数据流控", "自动应答", "输入缓存", "输出缓存",
    "关于", "默认", "确定", "取消",
    "No parity (无)", "Odd (奇)", "Even (偶)", "Mark (标记)", "Space (空格)",
    "None (无)", "RTS/CTS (硬件)", "Xon/Xoff (软件)", "RTS/CTS & Xon/Xoff (硬&软)",
    "必须选择串行口", "必须输入/选择波特率", "必须选择数据位", "必须选择奇偶校验",
    "必须选择停止位", "必须选择数据流控制",
    "自动应答必须是 0 - 255 的整数", "输入缓存容量错误", "输出缓存容量错误",
};

constexpr const char *kTraditional[T::msgCount] = {
    "序列埠設定", "序列埠選項", "數據機選項", "緩存容量",
    "序列埠", "傳輸速率", "奇偶校驗", "資料位元", "停止位元", "資料流控", "自動回應", "輸入緩存", "輸出緩存",
    "關於", "默認", "確定", "取消",
    "No parity (無)", "Odd (奇)", "Even (偶)", "Mark (標記)", "Space (空白)",
    "None (無)", "RTS/CTS (硬體)", "Xon/Xoff (軟體)", "RTS/CTS & Xon/Xoff (硬&軟)",
    "必須選擇序列埠", "必須輸入/選擇序列傳輸速率", "必須選擇資料位元", "必須選擇奇偶校驗",
    "必須選擇停止位元", "必須選擇資料流程控制",
    "自動回應必須是 0 - 255 的整數", "輸入緩存容量錯誤", "輸出緩存容量錯誤",
};

} // namespace

TForm_ZvCommDevice_Settings::TMsgStrings::TMsgStrings()
    : FTable(FLanguage.LcId() == TPelmCommLanguage::LcIdTraditionalChinese ? kTraditional
             : FLanguage.LcId() == TPelmCommLanguage::LcIdSimplifiedChinese ? kSimplified
                                                                            : kEnglish)
{
}

QString TForm_ZvCommDevice_Settings::TMsgStrings::fGetMsg(TMsgIndex index) const
{
    return index >= 0 && index < msgCount ? QString::fromUtf8(FTable[index]) : QString();
}

} // namespace PelmComm
