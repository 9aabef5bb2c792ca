#include "app/CommandLine.h"

#include "playback/Timeline.h"
#include "settings/ProgramConfig.h"

#include <optional>
#include <QCoreApplication>

namespace {

const QString ProgramVersion = QStringLiteral(BRINDLEWAVE_VERSION);

std::optional<std::int64_t> fadeMs(const QString &text)
{
    bool ok = false;
    const qlonglong ms = text.toLongLong(&ok);
    if (!ok || ms < 0 || ms > MaxFadeMs)
        return std::nullopt;
    return ms;
}

}  // namespace

QString versionText()
{
    return QStringLiteral("Brindlewave %1\n").arg(ProgramVersion);
}

QString helpText()
{
    return QCoreApplication::translate("CommandLine",
        "用法：brindlewave [文件]\n"
        "      brindlewave --cut 源文件 --start 时间 --end 时间 [--fade-in 毫秒] [--fade-out 毫秒]\n"
        "                  [--normalize] --output 目标文件\n"
        "\n"
        "从音乐或视频文件中截取一段，保存为手机铃声。\n"
        "\n"
        "  文件                 打开窗口并打开这个文件\n"
        "  --cut 源文件         不打开窗口，直接截取源文件的一段\n"
        "  --start 时间         铃声的开始位置，如 00:00:41.500、1:02.5 或 41.5\n"
        "  --end 时间           铃声的结束位置（不含），写法同上\n"
        "  --fade-in 毫秒       淡入的长度，0 为不淡入（最长 %1）\n"
        "  --fade-out 毫秒      淡出的长度，0 为不淡出（最长 %1）\n"
        "  --normalize          把铃声统一到 -14 LUFS，真峰值不超过 -1 dBTP\n"
        "  --output 目标文件    保存的文件；格式由扩展名决定：mp3、wma、wav、amr、m4r、ogg、m4a\n"
        "  --help               显示这段说明\n"
        "  --version            显示版本\n"
        "\n"
        "截取时进度写在标准错误上。退出码：\n"
        "  0  目标文件已保存，并经检验完整无误\n"
        "  1  铃声没有保存（打开或截取失败、被取消或被信号结束），不会留下不完整的文件\n"
        "  2  命令行有误，什么也没有做\n")
        .arg(MaxFadeMs);
}

CommandLineRequest parseCommandLine(const QStringList &arguments)
{
    CommandLineRequest request;
    auto invalid = [&request](const QString &error) {
        request.kind = CommandLineRequest::Invalid;
        request.error = error;
        return request;
    };
    std::optional<std::int64_t> start;
    std::optional<std::int64_t> end;
    bool cut = false;
    bool help = false;
    bool version = false;
    QStringList plain;
    bool onlyNames = false;  // after "--" every argument is a file name
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString name = arguments.at(i);
        if (onlyNames) {
            plain << name;
            continue;
        }
        if (name == u"--") {
            onlyNames = true;
            continue;
        }
        QString value;
        bool hasValue = false;
        if (name.startsWith(QStringLiteral("--")) && name.contains(u'=')) {
            value = name.mid(name.indexOf(u'=') + 1);
            name = name.left(name.indexOf(u'='));
            hasValue = true;
        }
        auto takeValue = [&]() -> std::optional<QString> {
            if (hasValue)
                return value;
            if (i + 1 >= arguments.size())
                return std::nullopt;
            return arguments.at(++i);
        };
        if (name == u"--help" || name == u"-h") {
            help = true;
        } else if (name == u"--version" || name == u"-v") {
            version = true;
        } else if (name == u"--normalize") {
            request.shaping.normalize = true;
        } else if (name == u"--cut" || name == u"--output" || name == u"--start" || name == u"--end"
                   || name == u"--fade-in" || name == u"--fade-out") {
            const std::optional<QString> given = takeValue();
            if (!given)
                return invalid(QCoreApplication::translate("CommandLine", "选项 %1 后面缺少值。").arg(name));
            if (name == u"--cut") {
                cut = true;
                request.source = *given;
            } else if (name == u"--output") {
                request.output = *given;
            } else if (name == u"--start" || name == u"--end") {
                const std::optional<std::int64_t> ms = timeline::parseTypedTime(*given);
                if (!ms)
                    return invalid(QCoreApplication::translate("CommandLine", "%1 的时间“%2”看不懂。\n请写成 00:00:41.500、1:02.5 或 41.5 这样的时间。")
                                       .arg(name, *given));
                (name == u"--start" ? start : end) = ms;
            } else {
                const std::optional<std::int64_t> ms = fadeMs(*given);
                if (!ms)
                    return invalid(QCoreApplication::translate("CommandLine", "%1 的长度“%2”不对：应当是 0 到 %3 之间的整毫秒数。")
                                       .arg(name, *given)
                                       .arg(MaxFadeMs));
                (name == u"--fade-in" ? request.shaping.fadeInMs : request.shaping.fadeOutMs) = *ms;
            }
        } else if (name.startsWith(u'-') && name.size() > 1) {
            return invalid(QCoreApplication::translate("CommandLine", "不认识的选项：%1\n请用 --help 查看用法。").arg(name));
        } else {
            plain << arguments.at(i);
        }
    }
    if (help) {
        request.kind = CommandLineRequest::Help;
        return request;
    }
    if (version) {
        request.kind = CommandLineRequest::Version;
        return request;
    }
    const bool cutOptions = start || end || !request.output.isEmpty() || !request.shaping.isPlain();
    if (!cut) {
        if (cutOptions)
            return invalid(QCoreApplication::translate("CommandLine", "--start、--end、--output 等选项只能和 --cut 一起用。"));
        if (plain.size() > 1)
            return invalid(QCoreApplication::translate("CommandLine", "一次只能打开一个文件。"));
        request.file = plain.value(0);
        return request;
    }
    if (!plain.isEmpty())
        return invalid(QCoreApplication::translate("CommandLine", "多余的参数：%1").arg(plain.join(u' ')));
    if (request.source.isEmpty())
        return invalid(QCoreApplication::translate("CommandLine", "--cut 后面要写源文件。"));
    if (!start || !end)
        return invalid(QCoreApplication::translate("CommandLine", "截取时要用 --start 和 --end 写明开始和结束位置。"));
    if (request.output.isEmpty())
        return invalid(QCoreApplication::translate("CommandLine", "截取时要用 --output 写明保存的文件。"));
    request.kind = CommandLineRequest::Cut;
    request.selection = Selection{*start, *end};
    return request;
}
