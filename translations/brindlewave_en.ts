<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Accessible</name>
    <message>
        <source>文件(F)</source>
        <translation>File (F)</translation>
    </message>
    <message>
        <source>工具(T)</source>
        <translation>Tools (T)</translation>
    </message>
    <message>
        <source>设置(S)</source>
        <translation>Settings (S)</translation>
    </message>
    <message>
        <source>关于(A)</source>
        <translation>About (A)</translation>
    </message>
    <message>
        <source>正在打开文件</source>
        <translation>Opening the file</translation>
    </message>
    <message>
        <source>正在保存铃声</source>
        <translation>Saving the ringtone</translation>
    </message>
    <message>
        <source>播放位置 %1</source>
        <translation>Play position %1</translation>
    </message>
    <message>
        <source>选择 开始位置 %1</source>
        <translation>Selection start %1</translation>
    </message>
    <message>
        <source>选择 结束位置 %1</source>
        <translation>Selection end %1</translation>
    </message>
    <message>
        <source>选择 长度 %1</source>
        <translation>Selection length %1</translation>
    </message>
    <message>
        <source>浏览 开始位置 %1</source>
        <translation>View start %1</translation>
    </message>
    <message>
        <source>浏览 结束位置 %1</source>
        <translation>View end %1</translation>
    </message>
    <message>
        <source>浏览 长度 %1</source>
        <translation>View length %1</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>编辑(E)</source>
        <translation>Edit (E)</translation>
    </message>
    <message>
        <source>给朋友发邮件分享你的铃声</source>
        <translation>Email your ringtone to a friend</translation>
    </message>
    <message>
        <source>把选择的段落保存为铃声</source>
        <translation>Save the selection as a ringtone</translation>
    </message>
    <message>
        <source>开始 %1</source>
        <translation>Start %1</translation>
    </message>
    <message>
        <source>结束 %1</source>
        <translation>End %1</translation>
    </message>
    <message>
        <source>取消打开</source>
        <translation>Cancel the open</translation>
    </message>
    <message>
        <source>取消保存</source>
        <translation>Cancel the save</translation>
    </message>
    <message>
        <source>打开铃声所在的文件夹</source>
        <translation>Open the ringtone&apos;s folder</translation>
    </message>
    <message>
        <source>播放保存的铃声</source>
        <translation>Play the saved ringtone</translation>
    </message>
    <message>
        <source>%1 小时 %2 分 %3 秒</source>
        <translation>%1:%2:%3</translation>
    </message>
    <message>
        <source>菜单栏</source>
        <translation>Menu bar</translation>
    </message>
    <message>
        <source>%1，长度 %2</source>
        <translation>%1, length %2</translation>
    </message>
    <message>
        <source>左右方向键移动 10 毫秒，加 Shift 100 毫秒，加 Ctrl 1 秒</source>
        <translation>Left and right arrows move it by 10 ms, with Shift by 100 ms, with Ctrl by 1 s</translation>
    </message>
    <message>
        <source>已打开 %1，长度 %2</source>
        <translation>Opened %1, length %2</translation>
    </message>
    <message>
        <source>%1 分 %2 秒</source>
        <translation>%1:%2</translation>
    </message>
    <message>
        <source>%1 秒</source>
        <translation>0:%1</translation>
    </message>
</context>
<context>
    <name>ButtonFaces</name>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>文件(F)</source>
        <translation>File(F)</translation>
    </message>
    <message>
        <source>工具(T)</source>
        <translation>Tools(T)</translation>
    </message>
    <message>
        <source>设置(S)</source>
        <translation>Setup(S)</translation>
    </message>
    <message>
        <source>关于(A)</source>
        <translation>About(A)</translation>
    </message>
    <message>
        <source>编辑(E)</source>
        <translation>Edit(E)</translation>
    </message>
</context>
<context>
    <name>CommandChannel</name>
    <message>
        <source>Brindlewave %1 — 铃声制作工具，由 Brindlewave 开发者制作  <byte value="xd"/>
%2  </source>
        <translation>Brindlewave %1 — a ringtone maker by the Brindlewave developers  <byte value="xd"/>
%2  </translation>
    </message>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>用法：brindlewave [文件]
      brindlewave --cut 源文件 --start 时间 --end 时间 [--fade-in 毫秒] [--fade-out 毫秒]
                  [--normalize] --output 目标文件

从音乐或视频文件中截取一段，保存为手机铃声。

  文件                 打开窗口并打开这个文件
  --cut 源文件         不打开窗口，直接截取源文件的一段
  --start 时间         铃声的开始位置，如 00:00:41.500、1:02.5 或 41.5
  --end 时间           铃声的结束位置（不含），写法同上
  --fade-in 毫秒       淡入的长度，0 为不淡入（最长 %1）
  --fade-out 毫秒      淡出的长度，0 为不淡出（最长 %1）
  --normalize          把铃声统一到 -14 LUFS，真峰值不超过 -1 dBTP
  --output 目标文件    保存的文件；格式由扩展名决定：mp3、wma、wav、amr、m4r、ogg、m4a
  --help               显示这段说明
  --version            显示版本

截取时进度写在标准错误上。退出码：
  0  目标文件已保存，并经检验完整无误
  1  铃声没有保存（打开或截取失败、被取消或被信号结束），不会留下不完整的文件
  2  命令行有误，什么也没有做
</source>
        <translation>Usage: brindlewave [FILE]
       brindlewave --cut SOURCE --start TIME --end TIME [--fade-in MS] [--fade-out MS]
                   [--normalize] --output DESTINATION

Cuts a stretch out of a music or video file and saves it as a phone ringtone.

  FILE                   open the window and open this file in it
  --cut SOURCE           cut a stretch of SOURCE without opening a window
  --start TIME           where the ringtone starts, e.g. 00:00:41.500, 1:02.5 or 41.5
  --end TIME             where the ringtone ends (not included), written the same way
  --fade-in MS           length of the fade in, 0 for none (at most %1)
  --fade-out MS          length of the fade out, 0 for none (at most %1)
  --normalize            bring the ringtone to -14 LUFS with true peaks at most -1 dBTP
  --output DESTINATION   the file to save; its extension picks the format:
                         mp3, wma, wav, amr, m4r, ogg, m4a
  --help                 show this help
  --version              show the version

While cutting, progress is written to standard error. Exit codes:
  0  the destination is saved and checked to be complete
  1  the ringtone was not saved (opening or cutting failed, was cancelled or
     ended by a signal); no incomplete file is left behind
  2  the command line is wrong; nothing was done
</translation>
    </message>
    <message>
        <source>选项 %1 后面缺少值。</source>
        <translation>Option %1 needs a value.</translation>
    </message>
    <message>
        <source>%1 的时间“%2”看不懂。
请写成 00:00:41.500、1:02.5 或 41.5 这样的时间。</source>
        <translation>Cannot read the time &quot;%2&quot; given to %1.
Write a time such as 00:00:41.500, 1:02.5 or 41.5.</translation>
    </message>
    <message>
        <source>%1 的长度“%2”不对：应当是 0 到 %3 之间的整毫秒数。</source>
        <translation>The length &quot;%2&quot; given to %1 is wrong: it must be a whole number of milliseconds from 0 to %3.</translation>
    </message>
    <message>
        <source>不认识的选项：%1
请用 --help 查看用法。</source>
        <translation>Unknown option: %1
See --help for the usage.</translation>
    </message>
    <message>
        <source>--start、--end、--output 等选项只能和 --cut 一起用。</source>
        <translation>Options such as --start, --end and --output can only be used with --cut.</translation>
    </message>
    <message>
        <source>一次只能打开一个文件。</source>
        <translation>Only one file can be opened at a time.</translation>
    </message>
    <message>
        <source>多余的参数：%1</source>
        <translation>Unexpected arguments: %1</translation>
    </message>
    <message>
        <source>--cut 后面要写源文件。</source>
        <translation>--cut needs a source file.</translation>
    </message>
    <message>
        <source>截取时要用 --start 和 --end 写明开始和结束位置。</source>
        <translation>A cut needs --start and --end to say where it starts and ends.</translation>
    </message>
    <message>
        <source>截取时要用 --output 写明保存的文件。</source>
        <translation>A cut needs --output to name the file to save.</translation>
    </message>
</context>
<context>
    <name>CutCheck</name>
    <message>
        <source>写出的文件里没有声音。</source>
        <translation>The written file has no sound in it.</translation>
    </message>
    <message>
        <source>写出的文件应当只有一路声音，却有 %1 路数据。</source>
        <translation>The written file should have exactly one audio stream, but it has %1 streams.</translation>
    </message>
    <message>
        <source>写出的声音编码是 %1，应当是 %2。</source>
        <translation>The written audio is encoded as %1; it should be %2.</translation>
    </message>
    <message>
        <source>未知</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>写出的声音是 %1 Hz，应当是 %2 Hz。</source>
        <translation>The written audio is at %1 Hz; it should be at %2 Hz.</translation>
    </message>
    <message>
        <source>写出的声音有 %1 个声道，应当是 %2 个。</source>
        <translation>The written audio has %1 channels; it should have %2.</translation>
    </message>
    <message>
        <source>写出的文件长 %1 秒，选择的是 %2 秒。</source>
        <translation>The written file is %1 seconds long, but the selection is %2 seconds.</translation>
    </message>
    <message>
        <source>写出的文件无法完整解码，文件不完整。</source>
        <translation>The written file cannot be decoded whole; it is incomplete.</translation>
    </message>
    <message>
        <source>写出的文件只能解码出 %1 秒，选择的是 %2 秒，文件不完整。</source>
        <translation>The written file decodes to only %1 seconds, but the selection is %2 seconds; it is incomplete.</translation>
    </message>
</context>
<context>
    <name>CutFormats</name>
    <message>
        <source>MP3 Files(*.mp3)</source>
        <translation>MP3 Files(*.mp3)</translation>
    </message>
    <message>
        <source>WMA Files(*.wma)</source>
        <translation>WMA Files(*.wma)</translation>
    </message>
    <message>
        <source>WAV Files(*.wav)</source>
        <translation>WAV Files(*.wav)</translation>
    </message>
    <message>
        <source>AMR Files(*.amr)</source>
        <translation>AMR Files(*.amr)</translation>
    </message>
    <message>
        <source>iPhone 铃声(*.m4r)</source>
        <translation>iPhone Ringtone(*.m4r)</translation>
    </message>
    <message>
        <source>OGG 格式(*.ogg)</source>
        <translation>OGG Files(*.ogg)</translation>
    </message>
    <message>
        <source>M4A 格式(*.m4a)</source>
        <translation>M4A Files(*.m4a)</translation>
    </message>
</context>
<context>
    <name>CutJob</name>
    <message>
        <source>转换程序写出的文件无法读取，不是完整的铃声。</source>
        <translation>The file the transcoder wrote cannot be read; it is not a complete ringtone.</translation>
    </message>
    <message>
        <source>转换程序写出的文件不是所要的铃声：</source>
        <translation>The file the transcoder wrote is not the ringtone asked for: </translation>
    </message>
    <message>
        <source>这次保存进行时，另一次保存已经把文件写到了这个名字上。为了不覆盖它，这次剪出的铃声没有保存；请换一个文件名再保存。</source>
        <translation>While this save ran, another save put a file under this name. So as not to overwrite it, this ringtone was not saved; please save it under another name.</translation>
    </message>
</context>
<context>
    <name>DecodeProof</name>
    <message>
        <source>转换出的声音无法播放（%1 Hz，%2 个声道，%3 帧）。</source>
        <translation>The decoded sound cannot be played (%1 Hz, %2 channels, %3 frames).</translation>
    </message>
    <message>
        <source>转换程序没有生成可播放的声音。</source>
        <translation>The transcoder produced no playable sound.</translation>
    </message>
    <message>
        <source>工作文件夹所在的磁盘已满：
%1
请腾出空间后再试。</source>
        <translation>The disk of the working folder is full:
%1
Free some space and try again.</translation>
    </message>
    <message>
        <source>工作文件夹无法写入：
%1</source>
        <translation>The working folder cannot be written to:
%1</translation>
    </message>
</context>
<context>
    <name>FailureReport</name>
    <message>
        <source>转换程序缺少这种格式的编码器。请安装 libavcodec-extra 软件包（sudo apt-get install libavcodec-extra）后再试。</source>
        <translation>The transcoder has no encoder for this format. Install the libavcodec-extra package (sudo apt-get install libavcodec-extra) and try again.</translation>
    </message>
    <message>
        <source>磁盘已满，文件写不下了。请腾出空间后再试。</source>
        <translation>The disk is full; the file does not fit. Free some space and try again.</translation>
    </message>
    <message>
        <source>没有权限读写这个位置。请换一个文件夹。</source>
        <translation>No permission to read or write this place. Please choose another folder.</translation>
    </message>
    <message>
        <source>文件不见了：它可能已被移动、改名或删除。</source>
        <translation>The file has gone: it may have been moved, renamed or deleted.</translation>
    </message>
    <message>
        <source>这个文件里没有声音。</source>
        <translation>This file has no sound in it.</translation>
    </message>
    <message>
        <source>这不是可以识别的音乐或视频文件，或者文件已经损坏。</source>
        <translation>This is not a music or video file that can be recognised, or the file is damaged.</translation>
    </message>
    <message>
        <source>转换程序被停止或被强行结束了。</source>
        <translation>The transcoder was stopped or killed.</translation>
    </message>
    <message>
        <source>转换程序出错了。</source>
        <translation>The transcoder failed.</translation>
    </message>
    <message>
        <source>ffmpeg 被信号 %1 结束</source>
        <translation>ffmpeg was ended by signal %1</translation>
    </message>
    <message>
        <source>

转换程序的说明：</source>
        <translation>

The transcoder said: </translation>
    </message>
</context>
<context>
    <name>HeadlessCut</name>
    <message>
        <source>不能保存为这种格式：
%1

请选择 %2 格式。</source>
        <translation>Cannot save in this format:
%1

Please choose %2.</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>不能保存到这个文件：
%1

它就是正在编辑的原文件，原文件只读取、不覆盖。请换一个文件名。</source>
        <translation>Cannot save to this file:
%1

It is the source file being edited, which is only ever read, never overwritten. Please choose another name.</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Opening</translation>
    </message>
    <message>
        <source>已取消，没有写出文件。</source>
        <translation>Cancelled; no file was written.</translation>
    </message>
    <message>
        <source>无法打开这个文件：
%1

%2</source>
        <translation>Cannot open this file:
%1

%2</translation>
    </message>
    <message>
        <source>注意：这段铃声长 %1 秒，iPhone 只把不超过 40 秒的 M4R 文件当作铃声。</source>
        <translation>Note: this ringtone is %1 seconds long; an iPhone takes only M4R files of at most 40 seconds as ringtones.</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Saving</translation>
    </message>
    <message>
        <source>已保存 %1（%2 秒，%3）</source>
        <translation>Saved %1 (%2 s, %3)</translation>
    </message>
    <message>
        <source>已取消保存，没有写出文件。</source>
        <translation>Saving was cancelled; no file was written.</translation>
    </message>
    <message>
        <source>铃声没有保存：
%1

%2</source>
        <translation>The ringtone was not saved:
%1

%2</translation>
    </message>
</context>
<context>
    <name>Layout</name>
    <message>
        <source>打开一个音乐/视频文件</source>
        <translation>Open a music or video file</translation>
    </message>
    <message>
        <source>保存铃声</source>
        <translation>Save the ringtone</translation>
    </message>
    <message>
        <source>随机选择一段铃声</source>
        <translation>Pick a random ringtone</translation>
    </message>
    <message>
        <source>给朋友发送EMAIL分享你的铃声</source>
        <translation>Share your ringtone with a friend by email</translation>
    </message>
    <message>
        <source>系统设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>官方网站</source>
        <translation>Website</translation>
    </message>
    <message>
        <source>退出程序</source>
        <translation>Exit the program</translation>
    </message>
    <message>
        <source>播放</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>选择铃声起始位置</source>
        <translation>Set the ringtone start</translation>
    </message>
    <message>
        <source>选择铃声结束位置</source>
        <translation>Set the ringtone end</translation>
    </message>
    <message>
        <source>播放选择的段落</source>
        <translation>Play the selection</translation>
    </message>
    <message>
        <source>意见反馈</source>
        <translation>Feedback</translation>
    </message>
    <message>
        <source>打开文件夹</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>在文件管理器里打开铃声所在的文件夹</source>
        <translation>Open the ringtone&apos;s folder in the file manager</translation>
    </message>
    <message>
        <source>用系统的播放器播放保存的铃声</source>
        <translation>Play the saved ringtone with the system&apos;s player</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>停止保存铃声（Esc）</source>
        <translation>Stop saving the ringtone (Esc)</translation>
    </message>
    <message>
        <source>停止打开这个文件（Esc）</source>
        <translation>Stop opening this file (Esc)</translation>
    </message>
    <message>
        <source>不要打开</source>
        <translation>Do not open</translation>
    </message>
    <message>
        <source>不播放</source>
        <translation>Do not play</translation>
    </message>
    <message>
        <source>返  回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>确  定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>循环</source>
        <translation>Loop</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>结束</source>
        <translation>End</translation>
    </message>
</context>
<context>
    <name>MainBackground</name>
    <message>
        <source>开始位置</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>结束位置</source>
        <translation>End</translation>
    </message>
    <message>
        <source>长度</source>
        <translation>Length</translation>
    </message>
    <message>
        <source>选择</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>浏览</source>
        <translation>View</translation>
    </message>
    <message>
        <source>意见反馈</source>
        <translation>Feedback</translation>
    </message>
</context>
<context>
    <name>MainController</name>
    <message>
        <source>确定要退出吗？</source>
        <translation>Do you really want to exit?</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
</context>
<context>
    <name>MainWindowWiring</name>
    <message>
        <source>单击输入时间</source>
        <translation>Click to type a time</translation>
    </message>
    <message>
        <source>看不懂这个时间：请写成 00:00:41.500、1:02.5 或 41.5</source>
        <translation>Cannot read this time: write it as 00:00:41.500, 1:02.5 or 41.5</translation>
    </message>
</context>
<context>
    <name>Menu</name>
    <message>
        <source>File</source>
        <translation>File</translation>
    </message>
    <message>
        <source>打开音乐/视频文件(&amp;O)</source>
        <translation>&amp;Open Music/Video File</translation>
    </message>
    <message>
        <source>保存铃声(&amp;S)</source>
        <translation>&amp;Save Ringtone</translation>
    </message>
    <message>
        <source>退出(&amp;E)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>Tools</source>
        <translation>Tools</translation>
    </message>
    <message>
        <source>随机截取铃声(&amp;R)</source>
        <translation>&amp;Random Ringtone</translation>
    </message>
    <message>
        <source>给朋友发信分享铃声(&amp;S)</source>
        <translation>&amp;Share Ringtone with a Friend</translation>
    </message>
    <message>
        <source>显示整个文件(&amp;W)</source>
        <translation>Show &amp;Whole File</translation>
    </message>
    <message>
        <source>放大到选择的段落(&amp;Z)</source>
        <translation>&amp;Zoom to Selection</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>系统设置(&amp;S)</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>淡入 0.5 秒</source>
        <translation>Fade In 0.5 s</translation>
    </message>
    <message>
        <source>淡入 1 秒</source>
        <translation>Fade In 1 s</translation>
    </message>
    <message>
        <source>淡入 2 秒</source>
        <translation>Fade In 2 s</translation>
    </message>
    <message>
        <source>淡出 0.5 秒</source>
        <translation>Fade Out 0.5 s</translation>
    </message>
    <message>
        <source>淡出 1 秒</source>
        <translation>Fade Out 1 s</translation>
    </message>
    <message>
        <source>淡出 2 秒</source>
        <translation>Fade Out 2 s</translation>
    </message>
    <message>
        <source>淡出 3 秒</source>
        <translation>Fade Out 3 s</translation>
    </message>
    <message>
        <source>统一音量（-14 LUFS）(&amp;N)</source>
        <translation>&amp;Normalize Loudness (-14 LUFS)</translation>
    </message>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>关于(&amp;A)</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>官方网站(&amp;H)</source>
        <translation>&amp;Website</translation>
    </message>
    <message>
        <source>关闭文件(&amp;C)</source>
        <translation>&amp;Close File</translation>
    </message>
    <message>
        <source>最近打开的文件(&amp;R)</source>
        <translation>&amp;Recent Files</translation>
    </message>
    <message>
        <source>（没有）</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>撤销(&amp;U)	Ctrl+Z</source>
        <translation>&amp;Undo	Ctrl+Z</translation>
    </message>
    <message>
        <source>重做(&amp;R)	Ctrl+Shift+Z</source>
        <translation>&amp;Redo	Ctrl+Shift+Z</translation>
    </message>
    <message>
        <source>循环播放选择的段落(&amp;L)	L</source>
        <translation>&amp;Loop the selection	L</translation>
    </message>
</context>
<context>
    <name>OpenFlow</name>
    <message>
        <source>MP3 格式(*.mp3)</source>
        <translation>MP3 Files(*.mp3)</translation>
    </message>
    <message>
        <source>WMA 格式(*.wma)</source>
        <translation>WMA Files(*.wma)</translation>
    </message>
    <message>
        <source>WAV 格式(*.wav)</source>
        <translation>WAV Files(*.wav)</translation>
    </message>
    <message>
        <source>AMR 格式(*.amr)</source>
        <translation>AMR Files(*.amr)</translation>
    </message>
    <message>
        <source>WMV 格式(*.wmv)</source>
        <translation>WMV Files(*.wmv)</translation>
    </message>
    <message>
        <source>AVI 格式(*.avi)</source>
        <translation>AVI Files(*.avi)</translation>
    </message>
    <message>
        <source>MPG 格式(*.mpg)</source>
        <translation>MPG Files(*.mpg)</translation>
    </message>
    <message>
        <source>MOV 格式(*.mov)</source>
        <translation>MOV Files(*.mov)</translation>
    </message>
    <message>
        <source>OGG 格式(*.ogg)</source>
        <translation>OGG Files(*.ogg)</translation>
    </message>
    <message>
        <source>FLAC 格式(*.flac)</source>
        <translation>FLAC Files(*.flac)</translation>
    </message>
    <message>
        <source>所有格式(*.*)</source>
        <translation>All Files(*.*)</translation>
    </message>
    <message>
        <source>打开一个媒体文件</source>
        <translation>Open a Media File</translation>
    </message>
    <message>
        <source>已取消打开 %1</source>
        <translation>Opening %1 was cancelled</translation>
    </message>
    <message>
        <source>无法打开这个文件：
%1

%2</source>
        <translation>Cannot open this file:
%1

%2</translation>
    </message>
    <message>
        <source>打开失败</source>
        <translation>Open Failed</translation>
    </message>
    <message>
        <source>当前的文件将被关闭，确定吗？</source>
        <translation>The current file will be closed. Are you sure?</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>音频和视频文件</source>
        <translation>Audio and video files</translation>
    </message>
    <message>
        <source>这个文件已经不在了：
%1

已把它从最近打开的文件中去掉。</source>
        <translation>This file is no longer there:
%1

It has been taken off the recent files.</translation>
    </message>
</context>
<context>
    <name>Paths</name>
    <message>
        <source>工作文件夹不见了，可能被别的程序删除了：
%1</source>
        <translation>The working folder has gone; another program may have deleted it:
%1</translation>
    </message>
    <message>
        <source>工作文件夹无法写入：
%1

%2</source>
        <translation>The working folder cannot be written to:
%1

%2</translation>
    </message>
</context>
<context>
    <name>PrivateFolder</name>
    <message>
        <source>无法建立这个文件夹。</source>
        <translation>The folder cannot be made.</translation>
    </message>
    <message>
        <source>这个名字上的不是文件夹。</source>
        <translation>What is at this name is not a folder.</translation>
    </message>
    <message>
        <source>它是一个指向别处的链接。</source>
        <translation>It is a link that points elsewhere.</translation>
    </message>
    <message>
        <source>它属于另一个用户。</source>
        <translation>It belongs to another user.</translation>
    </message>
    <message>
        <source>别的用户也可以往里面写入。</source>
        <translation>Other users can write into it.</translation>
    </message>
    <message>
        <source>工作文件夹不能使用：
%1

%2为了保护你的文件，程序不在这里打开或写入任何文件。</source>
        <translation>The working folder cannot be used:
%1

%2 To protect your files, the program opens and writes no file there.</translation>
    </message>
</context>
<context>
    <name>QFileDialog</name>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 already exists.
Do you want to replace it?</translation>
    </message>
</context>
<context>
    <name>QuickStartPanel</name>
    <message>
        <source>快速开始</source>
        <translation>Quick Start</translation>
    </message>
    <message>
        <source>点击按钮</source>
        <translation>Click</translation>
    </message>
    <message>
        <source>打开一个音乐/视频文件.</source>
        <translation>to open a music/video file.</translation>
    </message>
    <message>
        <source>开始播放声音.</source>
        <translation>to start playing.</translation>
    </message>
    <message>
        <source>选择铃声开始位置.</source>
        <translation>to set the ringtone start.</translation>
    </message>
    <message>
        <source>选择铃声结束位置.</source>
        <translation>to set the ringtone end.</translation>
    </message>
    <message>
        <source>保存制作完毕的铃声.</source>
        <translation>to save the finished ringtone.</translation>
    </message>
</context>
<context>
    <name>SaveFlow</name>
    <message>
        <source>还没有打开文件。
请先打开一个音乐或视频文件，再选择要保存的铃声。</source>
        <translation>No file is open yet.
Open a music or video file first, then select the ringtone to save.</translation>
    </message>
    <message>
        <source>还没有选择铃声的结束位置。
请拖动时间线上的选择标记，或在播放时按“选择铃声起始位置”和“选择铃声结束位置”。</source>
        <translation>The end of the ringtone has not been set yet.
Drag the selection handles on the time line, or press &quot;Set the ringtone start&quot; and &quot;Set the ringtone end&quot; while playing.</translation>
    </message>
    <message>
        <source>选择的铃声不到 1 秒。
请把结束位置放在开始位置之后至少 1 秒。</source>
        <translation>The selected ringtone is shorter than 1 second.
Put the end at least 1 second after the start.</translation>
    </message>
    <message>
        <source>选择的铃声超出了文件的末尾（文件长 %1）。
请重新选择开始和结束位置。</source>
        <translation>The selected ringtone runs past the end of the file (the file is %1 long).
Please set the start and the end again.</translation>
    </message>
    <message>
        <source>保存铃声</source>
        <translation>Save Ringtone</translation>
    </message>
    <message>
        <source>不能保存为这种格式：
%1

请选择 %2 格式。</source>
        <translation>Cannot save in this format:
%1

Please choose %2.</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>这段铃声长 %1 秒，iPhone 只把不超过 40 秒的 M4R 文件当作铃声。

仍然保存，请按“确定”；回去缩短选择，请按“取消”。</source>
        <translation>This ringtone is %1 seconds long; an iPhone takes only M4R files of at most 40 seconds as ringtones.

Press &quot;OK&quot; to save it anyway, or &quot;Cancel&quot; to go back and shorten the selection.</translation>
    </message>
    <message>
        <source>不能保存到这个文件：
%1

它就是正在编辑的原文件，原文件只读取、不覆盖。请换一个文件名。</source>
        <translation>Cannot save to this file:
%1

It is the source file being edited, which is only ever read, never overwritten. Please choose another name.</translation>
    </message>
    <message>
        <source>不能保存到这个文件：
%1

它是程序正在使用的工作文件。请换一个文件名。</source>
        <translation>Cannot save to this file:
%1

It is the working file the program is using. Please choose another name.</translation>
    </message>
    <message>
        <source>已取消保存，没有写出文件。</source>
        <translation>Saving was cancelled; no file was written.</translation>
    </message>
    <message>
        <source>已保存 %1（%2 秒，%3）</source>
        <translation>Saved %1 (%2 s, %3)</translation>
    </message>
    <message>
        <source>铃声没有保存：
%1

%2</source>
        <translation>The ringtone was not saved:
%1

%2</translation>
    </message>
    <message>
        <source>保存失败</source>
        <translation>Save Failed</translation>
    </message>
    <message>
        <source>不能保存到这个位置：
%1

它在程序的工作文件夹里，那里的文件随时会被删除。请换一个文件夹。</source>
        <translation>Cannot save to this place:
%1

It is inside the program&apos;s working folder, where files are deleted at any time. Please choose another folder.</translation>
    </message>
    <message>
        <source>文件还在解码（已解码 %1，共 %2）。
解码结束后才能保存铃声。</source>
        <translation>The file is still being decoded (%1 of %2 so far).
The ringtone can be saved once the decode has ended.</translation>
    </message>
    <message>
        <source>不能保存到这个位置：
%1

文件夹 %2 不存在，也无法创建。请换一个文件夹。</source>
        <translation>Cannot save to this location:
%1

The folder %2 does not exist and cannot be created. Please choose another folder.</translation>
    </message>
    <message>
        <source>无法打开这个文件夹：
%1

桌面上没有能打开它的程序（例如没有安装 xdg-open）。</source>
        <translation>Cannot open this folder:
%1

No program on this desktop opens it (for example, xdg-open is not installed).</translation>
    </message>
    <message>
        <source>无法播放，这个文件已经不在了：
%1</source>
        <translation>Cannot play: this file is no longer there:
%1</translation>
    </message>
    <message>
        <source>无法播放这个文件：
%1

桌面上没有能播放它的程序（例如没有安装 xdg-open）。</source>
        <translation>Cannot play this file:
%1

No program on this desktop plays it (for example, xdg-open is not installed).</translation>
    </message>
    <message>
        <source>另存为</source>
        <translation>Save As</translation>
    </message>
</context>
<context>
    <name>SelectionHandles</name>
    <message>
        <source>超出了文件的长度（%1）</source>
        <translation>Beyond the end of the file (%1)</translation>
    </message>
    <message>
        <source>开始位置不能晚于结束位置（%1）</source>
        <translation>The start cannot be after the end (%1)</translation>
    </message>
    <message>
        <source>结束位置不能早于开始位置（%1）</source>
        <translation>The end cannot be before the start (%1)</translation>
    </message>
</context>
<context>
    <name>SettingsBackground</name>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>保存完毕后打开铃声所在文件夹:</source>
        <translation>After saving, open the ringtone&apos;s folder:</translation>
    </message>
    <message>
        <source>保存完毕后播放声音提示:</source>
        <translation>After saving, play a sound:</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <source>系统设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>设置无法保存到文件：
%1

新的设置只在本次运行中有效，下次启动时仍使用原来的设置。</source>
        <translation>The settings could not be saved to the file:
%1

The new settings apply only until the program ends; the next start uses the old settings again.</translation>
    </message>
</context>
<context>
    <name>TimelinePictures</name>
    <message>
        <source>Loading File:</source>
        <translation>Loading File:</translation>
    </message>
</context>
<context>
    <name>ToolbarActions</name>
    <message>
        <source>请先播放音乐</source>
        <translation>Please play the music first</translation>
    </message>
    <message>
        <source>这段声音太短，无法随机选出超过 5 秒的铃声。
请拖动选择标记手动选择。</source>
        <translation>This sound is too short to pick a random ringtone of more than 5 seconds.
Please drag the selection handles to choose one yourself.</translation>
    </message>
</context>
<context>
    <name>TypedTimeField</name>
    <message>
        <source>输入时间，例如 00:00:41.500、1:02.5 或 41.5，回车确定，Esc 取消</source>
        <translation>Type a time, e.g. 00:00:41.500, 1:02.5 or 41.5; Return takes it, Esc cancels</translation>
    </message>
    <message>
        <source>选择的开始位置</source>
        <translation>Selection start</translation>
    </message>
    <message>
        <source>选择的结束位置</source>
        <translation>Selection end</translation>
    </message>
</context>
</TS>
