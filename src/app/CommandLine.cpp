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

namespace {

// What the arguments say, before they are checked against each other.
struct Arguments {
    CommandLineRequest request;  // with the shaping, the source and the output as given
    std::optional<std::int64_t> start;
    std::optional<std::int64_t> end;
    bool cut = false;
    bool help = false;
    bool version = false;
    QStringList plain;  // everything that is not an option
};

bool takesValue(const QString &name)
{
    return name == u"--cut" || name == u"--output" || name == u"--start" || name == u"--end"
           || name == u"--fade-in" || name == u"--fade-out";
}

// Takes the value of an option that has one. Returns why it cannot, or nothing.
QString takeValue(Arguments &a, const QString &name, const QString &given)
{
    if (name == u"--cut") {
        a.cut = true;
        a.request.source = given;
    } else if (name == u"--output") {
        a.request.output = given;
    } else if (name == u"--start" || name == u"--end") {
        const std::optional<std::int64_t> ms = timeline::parseTypedTime(given);
        if (!ms)
            return QCoreApplication::translate("CommandLine", "%1 的时间“%2”看不懂。\n请写成 00:00:41.500、1:02.5 或 41.5 这样的时间。")
                .arg(name, given);
        (name == u"--start" ? a.start : a.end) = ms;
    } else {
        const std::optional<std::int64_t> ms = fadeMs(given);
        if (!ms)
            return QCoreApplication::translate("CommandLine", "%1 的长度“%2”不对：应当是 0 到 %3 之间的整毫秒数。")
                .arg(name, given)
                .arg(MaxFadeMs);
        (name == u"--fade-in" ? a.request.shaping.fadeInMs : a.request.shaping.fadeOutMs) = *ms;
    }
    return {};
}

// Reads every argument. Returns why one cannot be read, or nothing.
QString readArguments(const QStringList &arguments, Arguments &a)
{
    bool onlyNames = false;  // after "--" every argument is a file name
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString name = arguments.at(i);
        if (onlyNames || name == u"--") {
            if (onlyNames)
                a.plain << name;
            onlyNames = true;
            continue;
        }
        std::optional<QString> value;  // given as --name=value
        if (name.startsWith(QStringLiteral("--")) && name.contains(u'=')) {
            value = name.mid(name.indexOf(u'=') + 1);
            name = name.left(name.indexOf(u'='));
        }
        if (name == u"--help" || name == u"-h") {
            a.help = true;
        } else if (name == u"--version" || name == u"-v") {
            a.version = true;
        } else if (name == u"--normalize") {
            a.request.shaping.normalize = true;
        } else if (takesValue(name)) {
            if (!value && i + 1 < arguments.size())
                value = arguments.at(++i);
            if (!value)
                return QCoreApplication::translate("CommandLine", "选项 %1 后面缺少值。").arg(name);
            if (const QString problem = takeValue(a, name, *value); !problem.isEmpty())
                return problem;
        } else if (name.startsWith(u'-') && name.size() > 1) {
            return QCoreApplication::translate("CommandLine", "不认识的选项：%1\n请用 --help 查看用法。").arg(name);
        } else {
            a.plain << arguments.at(i);
        }
    }
    return {};
}

// What a cut needs and lacks. Returns why it cannot run, or nothing.
QString cutProblem(const Arguments &a)
{
    if (!a.plain.isEmpty())
        return QCoreApplication::translate("CommandLine", "多余的参数：%1").arg(a.plain.join(u' '));
    if (a.request.source.isEmpty())
        return QCoreApplication::translate("CommandLine", "--cut 后面要写源文件。");
    if (!a.start || !a.end)
        return QCoreApplication::translate("CommandLine", "截取时要用 --start 和 --end 写明开始和结束位置。");
    if (a.request.output.isEmpty())
        return QCoreApplication::translate("CommandLine", "截取时要用 --output 写明保存的文件。");
    return {};
}

}  // namespace

CommandLineRequest parseCommandLine(const QStringList &arguments)
{
    Arguments a;
    CommandLineRequest &request = a.request;
    auto invalid = [&request](const QString &error) {
        request.kind = CommandLineRequest::Kind::Invalid;
        request.error = error;
        return request;
    };
    if (const QString problem = readArguments(arguments, a); !problem.isEmpty())
        return invalid(problem);
    if (a.help || a.version) {
        request.kind = a.help ? CommandLineRequest::Kind::Help : CommandLineRequest::Kind::Version;
        return request;
    }
    const bool cutOptions = a.start || a.end || !request.output.isEmpty() || !request.shaping.isPlain();
    if (!a.cut) {
        if (cutOptions)
            return invalid(QCoreApplication::translate("CommandLine", "--start、--end、--output 等选项只能和 --cut 一起用。"));
        if (a.plain.size() > 1)
            return invalid(QCoreApplication::translate("CommandLine", "一次只能打开一个文件。"));
        request.file = a.plain.value(0);
        return request;
    }
    if (const QString problem = cutProblem(a); !problem.isEmpty())
        return invalid(problem);
    request.kind = CommandLineRequest::Kind::Cut;
    request.selection = Selection{*a.start, *a.end};
    return request;
}
