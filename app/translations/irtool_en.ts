<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
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
</TS>
