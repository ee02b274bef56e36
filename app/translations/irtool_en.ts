<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Broadlink</name>
    <message>
        <source>十六进制数据包 %1 的位数是奇数</source>
        <translation>Hexadecimal packet %1 has an odd number of digits</translation>
    </message>
    <message>
        <source>%1 既不是 base64 也不是十六进制</source>
        <translation>%1 is neither base64 nor hexadecimal</translation>
    </message>
    <message>
        <source>博联数据包不带载波，测得的载波未写入，设备按自己的载波发送</source>
        <translation>Broadlink packets carry no carrier: the measured carrier was not written, and the device sends on its own carrier</translation>
    </message>
    <message>
        <source>博联数据包只有 %1 字节，至少要有 4 字节</source>
        <translation>The Broadlink packet has only %1 bytes; it needs at least 4</translation>
    </message>
    <message>
        <source>这是射频数据包（首字节 %1），不是红外</source>
        <translation>This is a radio packet (first byte %1), not infrared</translation>
    </message>
    <message>
        <source>首字节 %1 不是红外数据包的 26</source>
        <translation>First byte %1 is not the 26 of an infrared packet</translation>
    </message>
    <message>
        <source>长度字段为 %1 字节，数据包只有 %2 字节</source>
        <translation>The length field says %1 bytes, but the packet has only %2</translation>
    </message>
    <message>
        <source>第 %1 个时长在数据包末尾被截断</source>
        <translation>Duration %1 is cut off at the end of the packet</translation>
    </message>
    <message>
        <source>第 %1 个时长为 0</source>
        <translation>Duration %1 is 0</translation>
    </message>
    <message>
        <source>数据包没有时长</source>
        <translation>The packet holds no durations</translation>
    </message>
    <message>
        <source>重复 %1 次的数据包应以间隔结束，它却以脉冲结束</source>
        <translation>A packet repeated %1 times should end on a gap, but it ends on a pulse</translation>
    </message>
    <message>
        <source>重复 %1 次后有 %2 个时长，超过 %3 个</source>
        <translation>Repeated %1 times it has %2 durations, more than %3</translation>
    </message>
    <message>
        <source>编码没有时长</source>
        <translation>The code has no durations</translation>
    </message>
    <message>
        <source>时长 %1 微秒超过博联的上限 %2 微秒</source>
        <translation>Duration of %1 µs exceeds the Broadlink limit of %2 µs</translation>
    </message>
    <message>
        <source>数据包的时长部分有 %1 字节，超过 65535 字节</source>
        <translation>The durations of the packet take %1 bytes, more than 65535</translation>
    </message>
    <message>
        <source>文件中没有博联数据包</source>
        <translation>The file holds no Broadlink packets</translation>
    </message>
    <message>
        <source>不是有效的 JSON：%1</source>
        <translation>Not valid JSON: %1</translation>
    </message>
    <message>
        <source>不是 Home Assistant 的博联编码库：缺少对象“data”</source>
        <translation>Not a Home Assistant Broadlink code store: the object “data” is missing</translation>
    </message>
    <message>
        <source>设备 %1 的值应为对象（命令到编码）</source>
        <translation>The value of device %1 should be an object (commands to codes)</translation>
    </message>
    <message>
        <source>命令名为空</source>
        <translation>The command name is empty</translation>
    </message>
    <message>
        <source>编码应为 base64 字符串</source>
        <translation>The code should be a base64 string</translation>
    </message>
    <message>
        <source>编码库中没有编码</source>
        <translation>The code store holds no codes</translation>
    </message>
</context>
<context>
    <name>CodeCompare</name>
    <message>
        <source>比较红外数据：%1</source>
        <translation>Comparing infrared data: %1</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>解码数据相同......</source>
        <translation>Decoded data are the same......</translation>
    </message>
    <message>
        <source>解码数据不同......</source>
        <translation>Decoded data differ......</translation>
    </message>
    <message>
        <source>最大时长偏差：%1微秒（%2%），第 %3 个时长</source>
        <translation>Largest deviation: %1 µs (%2%), duration %3</translation>
    </message>
    <message>
        <source>%1 %2 个</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>时长个数不同：%1，只比较前 %2 个</source>
        <translation>Numbers of durations differ: %1; only the first %2 compared</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source>超出容差（%1%，至少%2微秒）的时长：%3 个</source>
        <translation>Durations beyond the tolerance (%1%, at least %2 µs): %3</translation>
    </message>
</context>
<context>
    <name>CodeFormats</name>
    <message>
        <source>红外信号文件</source>
        <translation>IR signal file</translation>
    </message>
    <message>
        <source>红外信号文件 (*.ir)</source>
        <translation>IR signal files (*.ir)</translation>
    </message>
    <message>
        <source>LIRC 配置 (*.conf *.lircd.conf)</source>
        <translation>LIRC configuration (*.conf *.lircd.conf)</translation>
    </message>
    <message>
        <source>原始时序</source>
        <translation>Raw timings</translation>
    </message>
    <message>
        <source>原始时序，微秒 (*.txt *.raw)</source>
        <translation>Raw timings, µs (*.txt *.raw)</translation>
    </message>
    <message>
        <source>CSV 时序 (*.csv)</source>
        <translation>CSV timings (*.csv)</translation>
    </message>
    <message>
        <source>Global Caché sendir 命令 (*.txt *.sendir)</source>
        <translation>Global Caché sendir commands (*.txt *.sendir)</translation>
    </message>
    <message>
        <source>博联 base64</source>
        <translation>Broadlink base64</translation>
    </message>
    <message>
        <source>博联数据包，base64 (*.txt *.b64)</source>
        <translation>Broadlink packets, base64 (*.txt *.b64)</translation>
    </message>
    <message>
        <source>博联十六进制</source>
        <translation>Broadlink hexadecimal</translation>
    </message>
    <message>
        <source>博联数据包，十六进制 (*.txt *.hex)</source>
        <translation>Broadlink packets, hexadecimal (*.txt *.hex)</translation>
    </message>
    <message>
        <source>Home Assistant 博联编码库</source>
        <translation>Home Assistant Broadlink code store</translation>
    </message>
    <message>
        <source>Home Assistant 博联编码库 (*_codes *.json)</source>
        <translation>Home Assistant Broadlink code store (*_codes *.json)</translation>
    </message>
    <message>
        <source>Tasmota 原始时序 (*.txt)</source>
        <translation>Tasmota raw timings (*.txt)</translation>
    </message>
    <message>
        <source>编码文件 (%1)</source>
        <translation>Code files (%1)</translation>
    </message>
    <message>
        <source>没有选择编码</source>
        <translation>No code selected</translation>
    </message>
    <message>
        <source>CSV 文件只能保存一个编码，却选了 %1 个</source>
        <translation>A CSV file holds only one code, but %1 were selected</translation>
    </message>
    <message>
        <source>%1 只能导入，不能导出</source>
        <translation>%1 can only be imported, not exported</translation>
    </message>
    <message>
        <source>无法写入 %1：%2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>写入 %1 失败：%2</source>
        <translation>Writing %1 failed: %2</translation>
    </message>
</context>
<context>
    <name>CodeLibrary</name>
    <message>
        <source>时长 %1 不是整数</source>
        <translation>Duration %1 is not a whole number</translation>
    </message>
    <message>
        <source>第 %1 个时长 %2 为 0 微秒，时长至少 1 微秒</source>
        <translation>Duration %1 (%2) is 0 µs; a duration is at least 1 µs</translation>
    </message>
    <message>
        <source>时长 %1 微秒超过 %2 微秒</source>
        <translation>Duration of %1 µs exceeds %2 µs</translation>
    </message>
    <message>
        <source>timings 没有时长</source>
        <translation>timings holds no durations</translation>
    </message>
    <message>
        <source>回复字节 %1 不是两位十六进制数</source>
        <translation>Reply byte %1 is not two hexadecimal digits</translation>
    </message>
    <message>
        <source>回复超过 %1 字节</source>
        <translation>The reply exceeds %1 bytes</translation>
    </message>
    <message>
        <source>不是编码库文件，第一行应为“%1”</source>
        <translation>Not a code library file: the first line should be “%1”</translation>
    </message>
    <message>
        <source>应为“名称: 值”，却是 %1</source>
        <translation>Expected “name: value” but found %1</translation>
    </message>
    <message>
        <source>字段 %1 之前缺少“code:”</source>
        <translation>“code:” is missing before field %1</translation>
    </message>
    <message>
        <source>不是编码库文件，缺少第一行“%1”</source>
        <translation>Not a code library file: the first line “%1” is missing</translation>
    </message>
    <message>
        <source>未知字段 %1</source>
        <translation>Unknown field %1</translation>
    </message>
    <message>
        <source>同一编码中字段 %1 出现了两次</source>
        <translation>Field %1 appears twice in the same code</translation>
    </message>
    <message>
        <source>载波 %1 不在 %2 之内</source>
        <translation>Carrier %1 is outside %2</translation>
    </message>
    <message>
        <source>%1 中的反斜杠只能写作 \\、\n、\r 或 \s</source>
        <translation>A backslash in %1 can only be written as \\, \n, \r or \s</translation>
    </message>
    <message>
        <source>编码名称为空</source>
        <translation>The code name is empty</translation>
    </message>
    <message>
        <source>编码 %1 缺少“timings:”</source>
        <translation>Code %1 lacks “timings:”</translation>
    </message>
    <message>
        <source>编码 %1 的 reply 与 timings 不一致</source>
        <translation>The reply and timings of code %1 disagree</translation>
    </message>
    <message>
        <source>文件 %1 超过 %2 MB</source>
        <translation>File %1 exceeds %2 MB</translation>
    </message>
    <message>
        <source>无法读取 %1：%2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message>
        <source>编码库 %1 %2</source>
        <translation>Code library %1: %2</translation>
    </message>
    <message>
        <source>编码“%1”没有名称或没有时长，编码库未保存</source>
        <translation>Code “%1” has no name or no durations; the code library was not saved</translation>
    </message>
    <message>
        <source>无法建立文件夹 %1</source>
        <translation>Cannot create folder %1</translation>
    </message>
    <message>
        <source>无法写入 %1：%2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>保存 %1 失败：%2，原文件未改动</source>
        <translation>Saving %1 failed: %2; the original file is unchanged</translation>
    </message>
</context>
<context>
    <name>GlobalCache</name>
    <message>
        <source>%1 %2 不是 %3 到 %4 之间的整数</source>
        <translation>%1 %2 is not a whole number from %3 to %4</translation>
    </message>
    <message>
        <source>应以“sendir,”开头，却是 %1</source>
        <translation>Expected a line beginning with “sendir,” but found %1</translation>
    </message>
    <message>
        <source>地址 %1 应为“模块:接口”</source>
        <translation>Address %1 should be “module:connector”</translation>
    </message>
    <message>
        <source>编号</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>载波</source>
        <translation>Carrier</translation>
    </message>
    <message>
        <source>重复次数</source>
        <translation>Repeat count</translation>
    </message>
    <message>
        <source>偏移 %1 应为正奇数</source>
        <translation>Offset %1 should be a positive odd number</translation>
    </message>
    <message>
        <source>%1 用了压缩格式（字母代替前面的脉冲对），不支持</source>
        <translation>%1 uses the compressed form (letters for earlier pulse pairs), which is not supported</translation>
    </message>
    <message>
        <source>第 %1 个时长 %2 不是 1 到 %3 之间的周期数</source>
        <translation>Duration %1 (%2) is not a number of periods from 1 to %3</translation>
    </message>
    <message>
        <source>sendir 没有时长</source>
        <translation>sendir holds no durations</translation>
    </message>
    <message>
        <source>偏移 %1 超过时长个数 %2</source>
        <translation>Offset %1 exceeds the number of durations, %2</translation>
    </message>
    <message>
        <source>重复发送的 sendir 应以间隔结束，它却有奇数个时长</source>
        <translation>A repeated sendir should end on a gap, but it has an odd number of durations</translation>
    </message>
    <message>
        <source>载波 %1 赫兹不在 Global Caché 的 %2 到 %3 赫兹之内</source>
        <translation>Carrier %1 Hz is outside the Global Caché range of %2 to %3 Hz</translation>
    </message>
    <message>
        <source>编码没有时长</source>
        <translation>The code has no durations</translation>
    </message>
    <message>
        <source>时长 %1 微秒超过 %2 个载波周期</source>
        <translation>Duration of %1 µs exceeds %2 carrier periods</translation>
    </message>
    <message>
        <source>文件中没有 sendir 命令</source>
        <translation>The file holds no sendir commands</translation>
    </message>
</context>
<context>
    <name>ImportResult</name>
    <message>
        <source>无法读取 %1：%2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message>
        <source>文件 %1 超过 %2 MB</source>
        <translation>File %1 exceeds %2 MB</translation>
    </message>
    <message>
        <source>编码 %1：%2</source>
        <translation>Code %1: %2</translation>
    </message>
    <message>
        <source>没有测得载波的编码按 %1 kHz 导出</source>
        <translation>Codes without a measured carrier were exported at %1 kHz</translation>
    </message>
</context>
<context>
    <name>IrFile</name>
    <message>
        <source>原始记录 %1 缺少 %2</source>
        <translation>Raw record %1 lacks %2</translation>
    </message>
    <message>
        <source>记录 %1 的载波 %2 不在 %3 之内</source>
        <translation>The carrier %2 of record %1 is outside %3</translation>
    </message>
    <message>
        <source>记录 %1 的占空比 %2 不在 0 到 1 之间</source>
        <translation>The duty cycle %2 of record %1 is not between 0 and 1</translation>
    </message>
    <message>
        <source>记录 %1 的时长 %2 不是 1 到 %3 之间的微秒数</source>
        <translation>The duration %2 of record %1 is not a number of µs from 1 to %3</translation>
    </message>
    <message>
        <source>地址 %1 超出 %2 的 %3 位</source>
        <translation>Address %1 exceeds the %3 bits of %2</translation>
    </message>
    <message>
        <source>命令 %1 超出 %2 的 %3 位</source>
        <translation>Command %1 exceeds the %3 bits of %2</translation>
    </message>
    <message>
        <source>不支持协议 %1</source>
        <translation>Protocol %1 is not supported</translation>
    </message>
    <message>
        <source>应为“名称: 值”，却是 %1</source>
        <translation>Expected “name: value” but found %1</translation>
    </message>
    <message>
        <source>不是红外信号文件，第一行应为“Filetype: IR signals file”</source>
        <translation>Not an IR signal file: the first line should be “Filetype: IR signals file”</translation>
    </message>
    <message>
        <source>不支持的版本 %1</source>
        <translation>Unsupported version %1</translation>
    </message>
    <message>
        <source>名称为空</source>
        <translation>The name is empty</translation>
    </message>
    <message>
        <source>字段 %1 之前缺少“name:”</source>
        <translation>“name:” is missing before field %1</translation>
    </message>
    <message>
        <source>未知字段 %1</source>
        <translation>Unknown field %1</translation>
    </message>
    <message>
        <source>记录 %1 中字段 %2 出现了两次</source>
        <translation>Field %2 appears twice in record %1</translation>
    </message>
    <message>
        <source>字段 %1 为空</source>
        <translation>Field %1 is empty</translation>
    </message>
    <message>
        <source>不是红外信号文件，缺少“Filetype: IR signals file”</source>
        <translation>Not an IR signal file: “Filetype: IR signals file” is missing</translation>
    </message>
    <message>
        <source>文件中没有记录</source>
        <translation>The file holds no records</translation>
    </message>
    <message>
        <source>解析记录 %1 缺少 protocol、address 或 command</source>
        <translation>Parsed record %1 lacks protocol, address or command</translation>
    </message>
    <message>
        <source>记录 %1 的 %2 应为至多四个两位十六进制字节</source>
        <translation>The %2 of record %1 should be at most four two-digit hexadecimal bytes</translation>
    </message>
    <message>
        <source>%1，未导入</source>
        <translation>%1; not imported</translation>
    </message>
    <message>
        <source>%1 的编码器不接受这个地址和命令，未导入</source>
        <translation>The %1 encoder does not take this address and command; not imported</translation>
    </message>
    <message>
        <source>记录 %1 的类型 %2 不是 raw 或 parsed</source>
        <translation>The type %2 of record %1 is neither raw nor parsed</translation>
    </message>
    <message>
        <source>记录 %1 的 data: 中没有时长</source>
        <translation>Record %1 has no durations in data:</translation>
    </message>
</context>
<context>
    <name>Lirc</name>
    <message>
        <source>文件不完整：缺少 %1</source>
        <translation>The file is incomplete: %1 is missing</translation>
    </message>
    <message>
        <source>文件中没有遥控器的按键（begin codes 或 begin raw_codes）</source>
        <translation>The file holds no remote buttons (begin codes or begin raw_codes)</translation>
    </message>
    <message>
        <source>应为“begin remote”，却是 %1</source>
        <translation>Expected “begin remote” but found %1</translation>
    </message>
    <message>
        <source>载波 %1 不在 %2 之内</source>
        <translation>Carrier %1 is outside %2</translation>
    </message>
    <message>
        <source>按键名称为空</source>
        <translation>The button name is empty</translation>
    </message>
    <message>
        <source>时序之前缺少“name”</source>
        <translation>“name” is missing before the timings</translation>
    </message>
    <message>
        <source>%1 不是 1 到 %2 之间的微秒数</source>
        <translation>%1 is not a number of µs from 1 to %2</translation>
    </message>
    <message>
        <source>按键 %1 没有时序</source>
        <translation>Button %1 has no timings</translation>
    </message>
    <message>
        <source>没有测得载波，按 38 kHz 导出</source>
        <translation>No carrier was measured; exported at 38 kHz</translation>
    </message>
    <message>
        <source>编码的载波不同，遥控器按 %1 赫兹导出</source>
        <translation>The codes have different carriers; the remote was exported at %1 Hz</translation>
    </message>
</context>
<context>
    <name>LircEncode</name>
    <message>
        <source>没有可发送的时序</source>
        <translation>There are no timings to send</translation>
    </message>
    <message>
        <source>gap %1 微秒不长于编码本身（%2 微秒），LIRC 不发送</source>
        <translation>gap of %1 µs is not longer than the code itself (%2 µs); LIRC does not send it</translation>
    </message>
    <message>
        <source>时序中有 %1 微秒，不在 1 到 %2 之间</source>
        <translation>The timings hold %1 µs, which is not from 1 to %2</translation>
    </message>
    <message>
        <source>间隔 %1 微秒超过 %2 微秒</source>
        <translation>Gap of %1 µs exceeds %2 µs</translation>
    </message>
</context>
<context>
    <name>LircRemote</name>
    <message>
        <source>参数 %1 的值 %2 不是数</source>
        <translation>The value %2 of parameter %1 is not a number</translation>
    </message>
    <message>
        <source>参数 %1 的值 %2 太大</source>
        <translation>The value %2 of parameter %1 is too large</translation>
    </message>
    <message>
        <source>参数 %1 的时长 %2 超过 %3 微秒</source>
        <translation>The duration %2 of parameter %1 exceeds %3 µs</translation>
    </message>
    <message>
        <source>参数 %1 需要脉冲与间隔两个数</source>
        <translation>Parameter %1 needs two numbers, a pulse and a gap</translation>
    </message>
    <message>
        <source>未知的标志 %1</source>
        <translation>Unknown flag %1</translation>
    </message>
    <message>
        <source>标志中有两种编码：%1 与 %2</source>
        <translation>The flags name two encodings: %1 and %2</translation>
    </message>
    <message>
        <source>参数 %1 没有值</source>
        <translation>Parameter %1 has no value</translation>
    </message>
    <message>
        <source>占空比 %1 超过 100%</source>
        <translation>Duty cycle %1 exceeds 100%</translation>
    </message>
    <message>
        <source>未知的参数 %1</source>
        <translation>Unknown parameter %1</translation>
    </message>
    <message>
        <source>按键 %1 没有编码值</source>
        <translation>Button %1 has no code value</translation>
    </message>
    <message>
        <source>按键 %1 的编码值 %2 不是数</source>
        <translation>The code value %2 of button %1 is not a number</translation>
    </message>
    <message>
        <source>标志 RAW_CODES 与“begin codes”不符</source>
        <translation>The flag RAW_CODES does not fit “begin codes”</translation>
    </message>
    <message>
        <source>使用 %1 编码，本程序的时序无法表达</source>
        <translation>Uses the %1 encoding, which this program&apos;s timings cannot express</translation>
    </message>
    <message>
        <source>共 %1 位，超过 %2 位</source>
        <translation>%1 bits in all, more than %2</translation>
    </message>
    <message>
        <source>没有位数（bits）</source>
        <translation>No number of bits (bits)</translation>
    </message>
    <message>
        <source>没有按键</source>
        <translation>No buttons</translation>
    </message>
    <message>
        <source>没有 0 与 1 的时序，只有供自行解码的接收器使用的编码值</source>
        <translation>No timings for 0 and 1, only code values for receivers that decode by themselves</translation>
    </message>
    <message>
        <source>toggle_bit %1 超出了共 %2 位</source>
        <translation>toggle_bit %1 lies beyond the %2 bits in all</translation>
    </message>
</context>
<context>
    <name>ModuleFrame</name>
    <message>
        <source>编码为空，没有可发射的时长</source>
        <translation>The code is empty: there is no duration to emit</translation>
    </message>
    <message>
        <source>第 %1 个时长 %2 微秒（%3 毫秒）超过模块的上限 %4 微秒（%5 毫秒）</source>
        <translation>Duration %1 of %2 µs (%3 ms) exceeds the module&apos;s limit of %4 µs (%5 ms)</translation>
    </message>
    <message>
        <source>第 %1 个时长 %2 微秒短于模块的最小单位 %3 微秒</source>
        <translation>Duration %1 of %2 µs is shorter than the module&apos;s smallest unit of %3 µs</translation>
    </message>
    <message>
        <source>编码帧有 %1 字节（%2 个时长），超过模块的上限 %3 字节</source>
        <translation>The code frame has %1 bytes (%2 durations), more than the module&apos;s limit of %3 bytes</translation>
    </message>
    <message>
        <source>末尾间隔 %1 微秒超过模块的上限，已缩短为 %2 微秒......</source>
        <translation>The final gap of %1 µs exceeds the module&apos;s limit and was shortened to %2 µs......</translation>
    </message>
</context>
<context>
    <name>Pronto</name>
    <message>
        <source>时长 %1 微秒超过 Pronto 的上限 %2 个载波周期</source>
        <translation>Duration of %1 µs exceeds the Pronto limit of %2 carrier periods</translation>
    </message>
    <message>
        <source>%1 不是四位十六进制数</source>
        <translation>%1 is not four hexadecimal digits</translation>
    </message>
    <message>
        <source>Pronto 编码至少要有四个字</source>
        <translation>A Pronto code needs at least four words</translation>
    </message>
    <message>
        <source>只支持学习格式（首字 0000），这里是 %1</source>
        <translation>Only the learned form (first word 0000) is supported; this is %1</translation>
    </message>
    <message>
        <source>Pronto 编码没有时长</source>
        <translation>The Pronto code holds no durations</translation>
    </message>
    <message>
        <source>头部说有 %1 对时长（%2 个字），实际有 %3 个字</source>
        <translation>The header says %1 pairs of durations (%2 words), but there are %3 words</translation>
    </message>
    <message>
        <source>载波字为 0000</source>
        <translation>The carrier word is 0000</translation>
    </message>
    <message>
        <source>载波 %1 赫兹不在 %2 之内</source>
        <translation>Carrier %1 Hz is outside %2</translation>
    </message>
    <message>
        <source>第 %1 个时长为 0</source>
        <translation>Duration %1 is 0</translation>
    </message>
    <message>
        <source>文件中没有 Pronto 编码</source>
        <translation>The file holds no Pronto codes</translation>
    </message>
</context>
<context>
    <name>ProtocolText</name>
    <message>
        <source>协议：未识别（%1 个脉冲）</source>
        <translation>Protocol: not recognised (%1 pulses)</translation>
    </message>
    <message>
        <source>协议：脉冲间隔  %1 位  数据 0x%2</source>
        <translation>Protocol: pulse distance  %1 bits  data 0x%2</translation>
    </message>
    <message>
        <source>协议：NEC 重复帧</source>
        <translation>Protocol: NEC repeat frame</translation>
    </message>
    <message>
        <source>协议：%1  地址 %2  命令 %3</source>
        <translation>Protocol: %1  address %2  command %3</translation>
    </message>
</context>
<context>
    <name>RawTimings</name>
    <message>
        <source>第 %1 个时长 %2 微秒不在 1 到 %3 微秒之内</source>
        <translation>Duration %1 of %2 µs is not from 1 to %3 µs</translation>
    </message>
    <message>
        <source>%1 不是整数</source>
        <translation>%1 is not a whole number</translation>
    </message>
    <message>
        <source>文件中没有时序</source>
        <translation>The file holds no timings</translation>
    </message>
    <message>
        <source>应为“序号,电平,微秒”三个整数，却是 %1</source>
        <translation>Expected three whole numbers “index,level,µs” but found %1</translation>
    </message>
    <message>
        <source>序号应为 %1，却是 %2</source>
        <translation>The index should be %1 but is %2</translation>
    </message>
    <message>
        <source>电平应为 %1（脉冲与间隔交替，以脉冲开始）</source>
        <translation>The level should be %1 (pulses and gaps alternate, beginning with a pulse)</translation>
    </message>
</context>
<context>
    <name>TAnalyserMenu</name>
    <message>
        <source>%1 通道</source>
        <translation>Channel %1</translation>
    </message>
    <message>
        <source>分析</source>
        <translation>Analyse</translation>
    </message>
    <message>
        <source>比较</source>
        <translation>Compare</translation>
    </message>
    <message>
        <source>导出波形图为 PNG...</source>
        <translation>Export chart as PNG...</translation>
    </message>
    <message>
        <source>导出波形图为 SVG...</source>
        <translation>Export chart as SVG...</translation>
    </message>
    <message>
        <source>复制所选通道的时长（微秒）</source>
        <translation>Copy durations of selected channel (µs)</translation>
    </message>
    <message>
        <source>比较需要至少两个通道的红外数据......</source>
        <translation>Comparing needs infrared data in at least two channels......</translation>
    </message>
    <message>
        <source>PNG 图片 (*.png)</source>
        <translation>PNG image (*.png)</translation>
    </message>
    <message>
        <source>SVG 图形 (*.svg)</source>
        <translation>SVG drawing (*.svg)</translation>
    </message>
    <message>
        <source>导出波形图</source>
        <translation>Export chart</translation>
    </message>
    <message>
        <source>波形图.</source>
        <translation>chart.</translation>
    </message>
    <message>
        <source>波形图已导出：%1......</source>
        <translation>Chart exported: %1......</translation>
    </message>
    <message>
        <source>波形图导出失败：%1（%2）......</source>
        <translation>Chart export failed: %1 (%2)......</translation>
    </message>
    <message>
        <source>没有红外数据......</source>
        <translation>No infrared data......</translation>
    </message>
    <message>
        <source>已复制 %1的时长到剪贴板：%2 个，单位微秒......</source>
        <translation>Copied the durations of %1 to the clipboard: %2, in microseconds......</translation>
    </message>
</context>
<context>
    <name>TApplication</name>
    <message>
        <source>红外学习模块调试工具 V1.0</source>
        <translation>Infrared Learning Module Tool V1.0</translation>
    </message>
</context>
<context>
    <name>TChannelChart</name>
    <message>
        <source>波形图</source>
        <translation>Waveform chart</translation>
    </message>
    <message>
        <source>万能学习型红外遥控器波形图 （在波形上按住鼠标左键，右下和左上滑动实现波形缩放）</source>
        <translation>Universal learning IR remote waveform (hold the left mouse button on the trace and drag right-down or left-up to zoom)</translation>
    </message>
    <message>
        <source>%1 通道</source>
        <comment>chart row</comment>
        <translation>Ch %1</translation>
    </message>
    <message>
        <source>发</source>
        <translation>TX</translation>
    </message>
    <message>
        <source>发射 %1 通道</source>
        <translation>Emit channel %1</translation>
    </message>
    <message>
        <source>发射 %1 通道的红外数据</source>
        <translation>Emit the infrared data of channel %1</translation>
    </message>
    <message>
        <source>清除 %1 通道波形</source>
        <translation>Clear the trace of channel %1</translation>
    </message>
    <message>
        <source>横轴为时间，单位 10 微秒（0.01 毫秒）</source>
        <translation>Horizontal axis: time, in units of 10 µs (0.01 ms)</translation>
    </message>
    <message>
        <source>时间（×10 微秒）</source>
        <translation>Time (×10 µs)</translation>
    </message>
</context>
<context>
    <name>TCodeSaveDialog</name>
    <message>
        <source>保存到编码库</source>
        <translation>Save to code library</translation>
    </message>
    <message>
        <source>编码名称</source>
        <translation>Code name</translation>
    </message>
    <message>
        <source>遥控器</source>
        <translation>Remote</translation>
    </message>
    <message>
        <source>备注</source>
        <translation>Notes</translation>
    </message>
    <message>
        <source>协议</source>
        <translation>Protocol</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TCodesUi</name>
    <message>
        <source>
编码库未改动。</source>
        <translation>
The code library was not changed.</translation>
    </message>
    <message>
        <source>保存到编码库…</source>
        <translation>Save to code library…</translation>
    </message>
    <message>
        <source>从编码库载入…</source>
        <translation>Load from code library…</translation>
    </message>
    <message>
        <source>导入…</source>
        <translation>Import…</translation>
    </message>
    <message>
        <source>导出…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <source>编码</source>
        <translation>Codes</translation>
    </message>
    <message>
        <source>打开编码库…</source>
        <translation>Open code library…</translation>
    </message>
    <message>
        <source>编码库另存为…</source>
        <translation>Save code library as…</translation>
    </message>
    <message>
        <source>%1 通道</source>
        <translation>Channel %1</translation>
    </message>
    <message>
        <source>提示信息</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>没有红外数据......</source>
        <translation>No infrared data......</translation>
    </message>
    <message>
        <source>已保存到编码库：%1......</source>
        <translation>Saved to the code library: %1......</translation>
    </message>
    <message>
        <source>编码库 %1 中没有编码</source>
        <translation>The code library %1 holds no codes</translation>
    </message>
    <message>
        <source>从编码库载入 %1 通道</source>
        <translation>Load channel %1 from the code library</translation>
    </message>
    <message>
        <source>导入编码</source>
        <translation>Import codes</translation>
    </message>
    <message>
        <source>所有文件 (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>未导入：</source>
        <translation>Not imported: </translation>
    </message>
    <message>
        <source>文件中没有可导入的编码：
</source>
        <translation>The file holds no code that can be imported:
</translation>
    </message>
    <message>
        <source>导入到编码库</source>
        <translation>Import into the code library</translation>
    </message>
    <message>
        <source>导入 %1 个编码到编码库......</source>
        <translation>Imported %1 codes into the code library......</translation>
    </message>
    <message>
        <source>没有可导出的编码：通道和编码库都是空的</source>
        <translation>No codes to export: the channel and the code library are empty</translation>
    </message>
    <message>
        <source>导出编码</source>
        <translation>Export codes</translation>
    </message>
    <message>
        <source>打开编码库</source>
        <translation>Open code library</translation>
    </message>
    <message>
        <source>编码库 (*.txt)</source>
        <translation>Code library (*.txt)</translation>
    </message>
    <message>
        <source>编码库：%1，%2 个编码......</source>
        <translation>Code library: %1, %2 codes......</translation>
    </message>
    <message>
        <source>编码库另存为</source>
        <translation>Save code library as</translation>
    </message>
    <message>
        <source>%1 通道编码</source>
        <translation>Channel %1 code</translation>
    </message>
    <message>
        <source>%1 中有 %2 条记录未导入......</source>
        <translation>%2 records in %1 were not imported......</translation>
    </message>
    <message>
        <source>：</source>
        <translation>: </translation>
    </message>
    <message>
        <source>已导出 %1 个编码（%2）到 %3......</source>
        <translation>Exported %1 codes (%2) to %3......</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>  — 红外学习模块的学习、发射与网络设置</source>
        <translation>  — learning, emitting and network setup of infrared learning modules</translation>
    </message>
    <message>
        <source>  接收数据  </source>
        <translation>Received</translation>
    </message>
    <message>
        <source>红外模块</source>
        <translation>Infrared module</translation>
    </message>
    <message>
        <source>清除数据</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>接收数据</source>
        <translation>Received</translation>
    </message>
    <message>
        <source>接入的模块IP</source>
        <translation>Module IPs</translation>
    </message>
    <message>
        <source>学习或发射前</source>
        <translation>To learn or emit,</translation>
    </message>
    <message>
        <source>请先选择模块</source>
        <translation>select a module</translation>
    </message>
    <message>
        <source>连接IP地址</source>
        <translation>Module IP address</translation>
    </message>
    <message>
        <source>端口号</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>服务器模式</source>
        <translation>Server mode</translation>
    </message>
    <message>
        <source>未连接</source>
        <translation>Not connected</translation>
    </message>
    <message>
        <source>已连接</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>模块设置</source>
        <translation>Module settings</translation>
    </message>
    <message>
        <source> 学习</source>
        <translation> Learn</translation>
    </message>
    <message>
        <source>进店看看</source>
        <translation>Visit the shop</translation>
    </message>
    <message>
        <source>退出程序</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>客户端模式</source>
        <translation>Client mode</translation>
    </message>
    <message>
        <source>逛逛小店</source>
        <translation>Shop</translation>
    </message>
    <message>
        <source>连接到</source>
        <translation>Link</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>State</translation>
    </message>
    <message>
        <source>发送数据</source>
        <translation>Sent</translation>
    </message>
    <message>
        <source>开发组</source>
        <translation>Team</translation>
    </message>
    <message>
        <source>连接端口号</source>
        <translation>Module port</translation>
    </message>
    <message>
        <source>连接成功...</source>
        <translation>Connected...</translation>
    </message>
    <message>
        <source>断开模块</source>
        <translation>Disconnect</translation>
    </message>
    <message>
        <source>连接模块</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>监听端口号</source>
        <translation>Listening port</translation>
    </message>
    <message>
        <source>停止监听</source>
        <translation>Stop listening</translation>
    </message>
    <message>
        <source>开始监听</source>
        <translation>Start listening</translation>
    </message>
    <message>
        <source>传输数据有误......</source>
        <translation>Received data is corrupt......</translation>
    </message>
    <message>
        <source>红外模块IP地址设置完成，模块已经重启，设置生效......</source>
        <translation>Module IP settings written; the module restarted and uses them now......</translation>
    </message>
    <message>
        <source>完成红外发射......</source>
        <translation>Infrared emission done......</translation>
    </message>
    <message>
        <source>红外解码超时......</source>
        <translation>Infrared decoding timed out......</translation>
    </message>
    <message>
        <source>收到解码数据：</source>
        <translation>Decoded data received:</translation>
    </message>
    <message>
        <source>
数据总长度：%1毫秒</source>
        <translation>
Total length: %1 ms</translation>
    </message>
    <message>
        <source>无法载入：</source>
        <translation>Cannot load: </translation>
    </message>
    <message>
        <source>提示信息</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>载入：</source>
        <translation>Loaded:</translation>
    </message>
    <message>
        <source>停止监听...</source>
        <translation>Stopped...</translation>
    </message>
    <message>
        <source>等待连接...</source>
        <translation>Waiting...</translation>
    </message>
    <message>
        <source>正在连接...</source>
        <translation>Connecting...</translation>
    </message>
    <message>
        <source>连接断开...</source>
        <translation>Disconnected...</translation>
    </message>
    <message>
        <source>连接中断...</source>
        <translation>Link lost...</translation>
    </message>
    <message>
        <source>正在监听...</source>
        <translation>Listening...</translation>
    </message>
    <message>
        <source>学习或发射前，请先选择模块</source>
        <translation>Select a module before learning or emitting</translation>
    </message>
    <message>
        <source>模块通讯失败！</source>
        <translation>Module communication failed!</translation>
    </message>
    <message>
        <source>等待解码数据......</source>
        <translation>Waiting for decoded data......</translation>
    </message>
    <message>
        <source>没有红外数据......</source>
        <translation>No infrared data......</translation>
    </message>
</context>
<context>
    <name>TForm2</name>
    <message>
        <source>工作模式</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>模块IP</source>
        <translation>Module IP</translation>
    </message>
    <message>
        <source>模块网关</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>子网掩码</source>
        <translation>Netmask</translation>
    </message>
    <message>
        <source>模块端口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>目标IP</source>
        <translation>Target IP</translation>
    </message>
    <message>
        <source>目标端口</source>
        <translation>Target port</translation>
    </message>
    <message>
        <source>模块MAC地址(10进制)</source>
        <translation>Module MAC address (decimal)</translation>
    </message>
    <message>
        <source>  串口设置红外模块网络接入参数设置（串口波特率115200）</source>
        <translation>  Infrared module network settings over the serial port (115200 baud)</translation>
    </message>
    <message>
        <source> 获取到的本机IP </source>
        <translation> This computer&apos;s IP addresses </translation>
    </message>
    <message>
        <source>获取到的本机IP</source>
        <translation>This computer&apos;s IP addresses</translation>
    </message>
    <message>
        <source> 模块网络参数设置 </source>
        <translation> Module network settings </translation>
    </message>
    <message>
        <source>参数</source>
        <translation>Parameter </translation>
    </message>
    <message>
        <source>超时重启</source>
        <translation>Restart on timeout</translation>
    </message>
    <message>
        <source>后2位从IP同步</source>
        <translation>Last 2 follow the IP</translation>
    </message>
    <message>
        <source>串口写入数据</source>
        <translation>Write (serial)</translation>
    </message>
    <message>
        <source>网络写入数据</source>
        <translation>Write (network)</translation>
    </message>
    <message>
        <source>网络写入数据时，请将电脑设置成和红外模块同网段，然后选择模块IP，进行设置</source>
        <translation>To write over the network, put the computer into the module&apos;s subnet, then select the module&apos;s IP and write</translation>
    </message>
    <message>
        <source>串口获取数据</source>
        <translation>Read (serial)</translation>
    </message>
    <message>
        <source>串口选择</source>
        <translation>Select port</translation>
    </message>
    <message>
        <source>保存到文件</source>
        <translation>Save to file</translation>
    </message>
    <message>
        <source>从文件读取</source>
        <translation>Load from file</translation>
    </message>
    <message>
        <source>退出设置</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>串口号</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>State</translation>
    </message>
    <message>
        <source>开发组</source>
        <translation>Team</translation>
    </message>
    <message>
        <source>程序所在的文件夹不能写入，设置文件保存在：
</source>
        <translation>The program&apos;s folder cannot be written; the settings are kept in:
</translation>
    </message>
    <message>
        <source>提示信息框</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>设置前，请在主窗口列表内先选择模块。。。</source>
        <translation>Before writing, select the module in the main window&apos;s list...</translation>
    </message>
    <message>
        <source>设置前，请确认模块已经和电脑建立连接。。。</source>
        <translation>Before writing, make sure the module is connected to the computer...</translation>
    </message>
    <message>
        <source>关闭串口</source>
        <translation>Close port</translation>
    </message>
    <message>
        <source>打开串口</source>
        <translation>Open port</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Closed</translation>
    </message>
    <message>
        <source>错误信息框</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>串口没有打开</source>
        <translation>The serial port is not open</translation>
    </message>
    <message>
        <source>串口没有打开，请选择正确的串口。。。</source>
        <translation>The serial port is not open; please select the right port...</translation>
    </message>
    <message>
        <source>串口 %1 已断开，请检查串口连接后重新打开串口。。。</source>
        <translation>Serial port %1 was disconnected; check the connection and open the port again...</translation>
    </message>
    <message>
        <source>读取成功</source>
        <translation>Read done</translation>
    </message>
    <message>
        <source>设置成功</source>
        <translation>Written</translation>
    </message>
    <message>
        <source>所有文件 (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>V1.2红外模块配置数据保存</source>
        <translation>V1.2 infrared module settings</translation>
    </message>
    <message>
        <source>V1.2红外模块配置数据读取</source>
        <translation>V1.2 infrared module settings</translation>
    </message>
    <message>
        <source>串口已断开，接回后可重新打开</source>
        <translation>The serial port was disconnected; plug it back in to open it again</translation>
    </message>
    <message>
        <source>串口已断开</source>
        <translation>Port disconnected</translation>
    </message>
</context>
<context>
    <name>Tasmota</name>
    <message>
        <source>脉冲</source>
        <translation>pulse</translation>
    </message>
    <message>
        <source>间隔</source>
        <translation>gap</translation>
    </message>
    <message>
        <source>应以载波和逗号开头（如“0,”或“38000,”），却是 %1</source>
        <translation>Expected a carrier and a comma first (such as “0,” or “38000,”) but found %1</translation>
    </message>
    <message>
        <source>载波 %1 赫兹不在 %2 之内</source>
        <translation>Carrier %1 Hz is outside %2</translation>
    </message>
    <message>
        <source>第 %1 个时长应为%2，字母 %3 却是%4</source>
        <translation>Duration %1 should be a %2, but letter %3 is a %4</translation>
    </message>
    <message>
        <source>字母 %1 指第 %2 个写出的数，此前只写出 %3 个</source>
        <translation>Letter %1 refers to written number %2, but only %3 were written before</translation>
    </message>
    <message>
        <source>第 %1 个时长应为%2，却以“%3”开头</source>
        <translation>Duration %1 should be a %2 but begins with “%3”</translation>
    </message>
    <message>
        <source>%1 不是时长</source>
        <translation>%1 is not a duration</translation>
    </message>
    <message>
        <source>第 %1 个时长 %2 微秒不在 1 到 %3 微秒之内</source>
        <translation>Duration %1 of %2 µs is not from 1 to %3 µs</translation>
    </message>
    <message>
        <source>载波之后没有时长</source>
        <translation>No durations after the carrier</translation>
    </message>
    <message>
        <source>文件中没有 Tasmota 时序</source>
        <translation>The file holds no Tasmota timings</translation>
    </message>
</context>
<context>
    <name>TextScan</name>
    <message>
        <source>第 %1 行：%2</source>
        <translation>Line %1: %2</translation>
    </message>
    <message>
        <source>%1 到 %2 赫兹</source>
        <translation>%1 to %2 Hz</translation>
    </message>
    <message>
        <source>第 %1 个时长 %2 应为%3</source>
        <translation>Duration %1 (%2) should be %3</translation>
    </message>
    <message>
        <source>正数（脉冲）</source>
        <translation>positive (a pulse)</translation>
    </message>
    <message>
        <source>负数（间隔）</source>
        <translation>negative (a gap)</translation>
    </message>
</context>
</TS>
