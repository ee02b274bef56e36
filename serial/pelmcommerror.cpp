#include "serial/pelmcommerror.h"

#include "platform/sys/messagelocale.h"

#include <cerrno>

namespace PelmComm {

namespace {

struct TErrorText {
    int code;
    const char *text; // null ends the table
};

// Reasons for a failed opening; "%g" stands for the group that owns the device.
struct TReasonTexts {
    const char *separator; // between the message and the reason
    const char *denied;
    const char *deniedToGroup;
    const char *missing;
    const char *busy;
    const char *notTerminal;
};

struct TMessageTable {
    const char *prefixBefore; // the prefix is prefixBefore + port name + prefixAfter
    const char *prefixAfter;
    const char *fallback;
    const TErrorText *rows;
    const TReasonTexts &reasons;
};

constexpr TErrorText kSimplified[] = {
    {1, "内存不够"},
    {2, "不能初始化读缓存"},
    {3, "不能初始化写缓存"},
    {4, "不能打开串行口"},
    {5, "不能设置串行口事件MASK"},
    {6, "不能设置串行口缓存"},
    {7, "不能得到串行口参数"},
    {8, "不能设置串行口参数"},
    {9, "不能创建串行口异步读事件"},
    {10, "不能创建串行口异步写事件"},
    {11, "不能创建串行口读线程"},
    {12, "不能创建串行口写线程"},
    {13, "不能关闭串行口读线程"},
    {14, "不能关闭串行口写线程"},
    {0, nullptr},
};

constexpr TErrorText kTraditional[] = {
    {1, "記憶體不夠"},
    {2, "不能初始化讀緩存"},
    {3, "不能初始化寫緩存"},
    {4, "不能打開序列埠"},
    {5, "不能設置序列埠事件MASK"},
    {6, "不能設置序列埠緩存"},
    {7, "不能得到序列埠參數"},
    {8, "不能設置序列埠參數"},
    {9, "不能創建序列埠非同步讀事件"},
    {10, "不能創建序列埠非同步寫事件"},
    {11, "不能創建序列埠讀執行緒"},
    {12, "不能創建序列埠寫執行緒"},
    {13, "不能關閉序列埠讀執行緒"},
    {14, "不能關閉序列埠寫執行緒"},
    {0, nullptr},
};

constexpr TErrorText kEnglish[] = {
    {1, "Out of memory"},
    {2, "Cannot initialize read buffer"},
    {3, "Cannot initialize write buffer"},
    {4, "Cannot open COM port"},
    {5, "Cannot set comm-mask"},
    {6, "Cannot set COM port buffer size"},
    {7, "Cannot read COM port parameters"},
    {8, "Cannot set COM port parameters"},
    {9, "Cannot create COM port asynchronize read event"},
    {10, "Cannot create COM port asynchronize write event"},
    {11, "Cannot create COM port read thread"},
    {12, "Cannot create COM port write thread"},
    {13, "Cannot close COM port read thread"},
    {14, "Cannot close COM port write thread"},
    {0, nullptr},
};

constexpr TReasonTexts kSimplifiedReasons{
    "：",
    "没有使用该设备的权限",
    "没有使用该设备的权限。设备属于用户组“%g”，请执行 sudo usermod -aG %g $USER 加入该组，然后重新登录",
    "设备不存在",
    "已被其他程序占用",
    "不是串行口设备",
};

constexpr TReasonTexts kTraditionalReasons{
    "：",
    "沒有使用該裝置的權限",
    "沒有使用該裝置的權限。裝置屬於使用者群組「%g」，請執行 sudo usermod -aG %g $USER 加入該群組，然後重新登入",
    "裝置不存在",
    "已被其他程式佔用",
    "不是序列埠裝置",
};

constexpr TReasonTexts kEnglishReasons{
    ": ",
    "Permission denied",
    "Permission denied. The device belongs to group \"%g\": join it with sudo usermod -aG %g $USER, then log in "
    "again",
    "No such device",
    "In use by another program",
    "Not a serial port",
};

constexpr TMessageTable kSimplifiedTable{"串行口:“", "”- ", "未知错误", kSimplified, kSimplifiedReasons};
constexpr TMessageTable kTraditionalTable{"序列埠:『", "』- ", "未知錯誤", kTraditional, kTraditionalReasons};
constexpr TMessageTable kEnglishTable{"Serial port: \"", "\" - ", "Unknown error", kEnglish, kEnglishReasons};

const TMessageTable &TableFor(uint32_t lcId)
{
    if (lcId == TPelmCommLanguage::LcIdSimplifiedChinese)
        return kSimplifiedTable;
    if (lcId == TPelmCommLanguage::LcIdTraditionalChinese)
        return kTraditionalTable;
    return kEnglishTable;
}

std::string WithGroup(const char *text, const std::string &group)
{
    std::string out;
    for (const char *c = text; *c; ++c) {
        if (c[0] == '%' && c[1] == 'g') {
            out += group;
            ++c;
        } else {
            out += *c;
        }
    }
    return out;
}

// The one place where the system's error numbers become words for the user; empty where the number
// says nothing the user could act on.
std::string ReasonText(const TReasonTexts &texts, const TOpenFailure &reason)
{
    switch (reason.Errno) {
    case EACCES:
    case EPERM:
        return reason.Group.empty() ? texts.denied : WithGroup(texts.deniedToGroup, reason.Group);
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return texts.missing;
    case EBUSY:
        return texts.busy;
    case ENOTTY:
        return texts.notTerminal;
    default:
        return {};
    }
}

} // namespace

TPelmCommLanguage::TPelmCommLanguage()
    : FLcId(platform::MessageLocaleId())
{
    if (FLcId == 0)
        FLcId = LcIdEnglishUS;
}

std::string EPelmCommError::Message(TErrorCode code, const std::string &portName, const TPelmCommLanguage &language,
                                    const TOpenFailure &reason)
{
    const TMessageTable &table = TableFor(language.LcId());
    std::string message;
    if (!portName.empty())
        message.append(table.prefixBefore).append(portName).append(table.prefixAfter);
    const char *text = table.fallback;
    for (const TErrorText *row = table.rows; row->text; ++row) {
        if (row->code == code) {
            text = row->text;
            break;
        }
    }
    message.append(text);
    if (const std::string why = ReasonText(table.reasons, reason); !why.empty())
        message.append(table.reasons.separator).append(why);
    return message;
}

EPelmCommError::EPelmCommError(TErrorCode code)
    : EPelmCommError(code, std::string())
{
}

EPelmCommError::EPelmCommError(TErrorCode code, const std::string &portName, const TOpenFailure &reason)
    : std::runtime_error(Message(code, portName, TPelmCommLanguage(), reason))
    , ErrorCode(code)
    , PortName(portName)
    , Reason(reason)
{
}

} // namespace PelmComm
