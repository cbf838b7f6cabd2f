<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>LineWindow</name>
    <message>
        <source>Line</source>
        <translation>线路</translation>
    </message>
    <message>
        <source>What went over the line</source>
        <translation>线路上收发的内容</translation>
    </message>
    <message>
        <source>&amp;Pause</source>
        <translation>暂停(&amp;P)</translation>
    </message>
    <message>
        <source>Hold the view still; the line is still recorded</source>
        <translation>冻结视图；线路仍在记录</translation>
    </message>
    <message>
        <source>C&amp;lear</source>
        <translation>清除(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>复制(&amp;C)</translation>
    </message>
    <message>
        <source>Copy the selected lines, or all of them</source>
        <translation>复制选中的行；未选中时复制全部</translation>
    </message>
    <message>
        <source>&amp;Save...</source>
        <translation>保存(&amp;S)...</translation>
    </message>
    <message>
        <source>Save the lines as a --trace file has them</source>
        <translation>按 --trace 文件的格式保存这些行</translation>
    </message>
    <message>
        <source>Paused: %1 new lines wait.</source>
        <translation>已暂停：%1 行新内容等待显示。</translation>
    </message>
    <message>
        <source>Paused.</source>
        <translation>已暂停。</translation>
    </message>
    <message>
        <source>%1 older lines have gone; the window keeps the last %2.</source>
        <translation>已丢弃 %1 行较早的内容；窗口保留最近的 %2 行。</translation>
    </message>
    <message>
        <source>Save the line</source>
        <translation>保存线路记录</translation>
    </message>
    <message>
        <source>The line could not be saved to %1: %2</source>
        <translation>无法将线路记录保存到 %1：%2</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>Identify Symbology</source>
        <translation>识别码制</translation>
    </message>
    <message>
        <source>The Barcode was not decoded</source>
        <translation>条码未能解码</translation>
    </message>
    <message>
        <source>Decode: </source>
        <translation>解码内容：</translation>
    </message>
    <message>
        <source>The symbology is Unknown</source>
        <translation>码制未知</translation>
    </message>
    <message>
        <source>The symbology is %1</source>
        <translation>码制为 %1</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>This will save the current settings</source>
        <translation>这将把当前设置</translation>
    </message>
    <message>
        <source>permanently as the power on defaults!</source>
        <translation>永久保存为开机默认设置！</translation>
    </message>
    <message>
        <source>Are you sure you want to do this?</source>
        <translation>确定要这样做吗？</translation>
    </message>
    <message>
        <source>The settings report could not be written to:</source>
        <translation>无法将设置报告写入：</translation>
    </message>
    <message>
        <source>The previous report is unchanged.</source>
        <translation>之前的报告保持不变。</translation>
    </message>
    <message>
        <source>Present the Barcode to be identified to the scanner</source>
        <translation>请将待识别的条码放到扫描器前</translation>
    </message>
    <message>
        <source>Then click OK</source>
        <translation>然后单击“确定”</translation>
    </message>
    <message>
        <source>No Response from Barcode Reader on %1</source>
        <translation>%1 上的条码阅读器没有响应</translation>
    </message>
    <message>
        <source>Invalid Response from Barcode Reader</source>
        <translation>条码阅读器的响应无效</translation>
    </message>
    <message>
        <source>Firmware version is %1</source>
        <translation>固件版本为 %1</translation>
    </message>
    <message>
        <source>Expecting %1</source>
        <translation>应为 %1</translation>
    </message>
    <message>
        <source>Settings are different from Default values</source>
        <translation>设置与默认值不同</translation>
    </message>
    <message>
        <source>The network to %1 is too slow to judge the reader: round trip %2 ms (more than %3 ms).</source>
        <translation>到 %1 的网络太慢，无法判断阅读器：往返时间 %2 ms（超过 %3 ms）。</translation>
    </message>
</context>
<context>
    <name>PortsDialog</name>
    <message>
        <source>Ports</source>
        <translation>端口</translation>
    </message>
    <message>
        <source>&amp;Device:</source>
        <translation>设备(&amp;D)：</translation>
    </message>
    <message>
        <source>&amp;Assign</source>
        <translation>分配(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Free</source>
        <translation>释放(&amp;F)</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>端口</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>设备</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>描述</translation>
    </message>
    <message>
        <source>State</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>Given</source>
        <translation>分配方式</translation>
    </message>
    <message>
        <source>remembered</source>
        <translation>已记住</translation>
    </message>
</context>
<context>
    <name>frmAlign</name>
    <message>
        <source>Align Reader</source>
        <translation>校准阅读器</translation>
    </message>
    <message>
        <source>Align Reader - no reports from the reader</source>
        <translation>校准阅读器 - 阅读器无报告</translation>
    </message>
    <message>
        <source>High</source>
        <translation>上</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>左</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>右</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>下</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>近</translation>
    </message>
    <message>
        <source>Far</source>
        <translation>远</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Target across and along the scan</source>
        <translation>目标在扫描横向和纵向上的位置</translation>
    </message>
    <message>
        <source>Distance</source>
        <translation>距离</translation>
    </message>
    <message>
        <source>Scan profile</source>
        <translation>扫描轮廓</translation>
    </message>
    <message>
        <source>No reports from the reader.</source>
        <translation>阅读器没有报告。</translation>
    </message>
    <message>
        <source>No target found.</source>
        <translation>未找到目标。</translation>
    </message>
    <message>
        <source>Target outside: across %1, along %2 (0.50 is centred).</source>
        <translation>目标在范围外：横向 %1，纵向 %2（0.50 为居中）。</translation>
    </message>
    <message>
        <source>Target inside: across %1, along %2 (0.50 is centred).</source>
        <translation>目标在范围内：横向 %1，纵向 %2（0.50 为居中）。</translation>
    </message>
    <message>
        <source>No distance measured.</source>
        <translation>未测得距离。</translation>
    </message>
    <message>
        <source>Distance inside: %1 (0.50 is centred).</source>
        <translation>距离在范围内：%1（0.50 为居中）。</translation>
    </message>
    <message>
        <source>Distance outside: %1 (0.50 is centred).</source>
        <translation>距离在范围外：%1（0.50 为居中）。</translation>
    </message>
</context>
<context>
    <name>frmDecode</name>
    <message>
        <source>Barcode ID</source>
        <translation>条码 ID</translation>
    </message>
    <message>
        <source>Decode</source>
        <translation>解码</translation>
    </message>
    <message>
        <source>Decode - no reports from the reader</source>
        <translation>解码 - 阅读器无报告</translation>
    </message>
    <message>
        <source>ID:</source>
        <translation>ID：</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Decode percentage</source>
        <translation>解码百分比</translation>
    </message>
    <message>
        <source>%1 % decoded</source>
        <translation>已解码 %1%</translation>
    </message>
    <message>
        <source>No decode report</source>
        <translation>无解码报告</translation>
    </message>
</context>
<context>
    <name>frmExec</name>
    <message>
        <source>    Symbology               Identifier</source>
        <translation>识别码制</translation>
    </message>
    <message>
        <source>Barcode Reader Test Utility  KSR-6400/6500</source>
        <translation>条码阅读器测试工具  KSR-6400/6500</translation>
    </message>
    <message>
        <source>COM Setup</source>
        <translation>COM 端口</translation>
    </message>
    <message>
        <source>Firmware Version:</source>
        <translation>固件版本：</translation>
    </message>
    <message>
        <source>VORN Defaults</source>
        <translation>VORN 默认值</translation>
    </message>
    <message>
        <source>Save Settings</source>
        <translation>保存设置</translation>
    </message>
    <message>
        <source>Side Look</source>
        <translation>侧视</translation>
    </message>
    <message>
        <source>Align</source>
        <translation>校准</translation>
    </message>
    <message>
        <source>Decode Test</source>
        <translation>解码测试</translation>
    </message>
    <message>
        <source>Symbology
Identifier</source>
        <translation>识别
码制</translation>
    </message>
    <message>
        <source>Setup</source>
        <translation>码制设置</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>线路</translation>
    </message>
    <message>
        <source>Ports</source>
        <translation>端口</translation>
    </message>
    <message>
        <source>Show what goes to the reader and back (Ctrl+L)</source>
        <translation>显示发往阅读器及其返回的数据 (Ctrl+L)</translation>
    </message>
    <message>
        <source>Maker: </source>
        <translation>制造商：</translation>
    </message>
    <message>
        <source>Serial number: </source>
        <translation>序列号：</translation>
    </message>
    <message>
        <source>(not plugged in)</source>
        <translation>（未插入）</translation>
    </message>
    <message>
        <source>Online</source>
        <translation>在线</translation>
    </message>
    <message>
        <source>Offline</source>
        <translation>离线</translation>
    </message>
    <message>
        <source>The settings were not saved as the power-on defaults.</source>
        <translation>设置未保存为开机默认设置。</translation>
    </message>
    <message>
        <source>The port numbers were not stored: %1.<byte value="xd"/>They hold until the program ends.</source>
        <translation>端口号未能保存：%1。<byte value="xd"/>在程序结束前仍然有效。</translation>
    </message>
</context>
<context>
    <name>frmSymbols</name>
    <message>
        <source>Symbologies</source>
        <translation>码制</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
</TS>
