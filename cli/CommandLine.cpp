#include "CommandLine.h"

#include <QCommandLineParser>

#include "NativeArguments.h"

namespace korvel {

namespace {

const QString kKey = QStringLiteral("key");
const QString kTo = QStringLiteral("to");
const QString kOverwrite = QStringLiteral("overwrite");
const QString kPasswordStdin = QStringLiteral("password-stdin");
const QString kForce = QStringLiteral("force");
// Known only to be refused, with its value.
const QString kPassword = QStringLiteral("password");
const QString kHelp = QStringLiteral("help");
const QString kVersion = QStringLiteral("version");

constexpr const char* kHelpDetails =
    "      korvel-cli -h|--help\n"
    "      korvel-cli --version\n"
    "\n"
    "加密或解密任意多个文件和文件夹，与窗口使用同样的方法和同样的解密结果检查。\n"
    "\n"
    "  encrypt, decrypt          加密或解密，写在最前面\n"
    "  --to 目标文件夹           结果写入这个文件夹（必需）；文件夹按原名整个放进去\n"
    "  --key 密钥文件            密钥文件；不给时用程序所在文件夹中的 uae\n"
    "  --password-stdin          从标准输入读一行作为密码；不给时在终端上不回显地输入两次\n"
    "  --overwrite skip|replace  目标文件已存在时跳过或替换；不给时不写入并报告失败\n"
    "  --force                   解密结果看起来不对时仍然解密\n"
    "  --                        其后的参数都是文件或文件夹（也包括以 - 开头的名字）\n"
    "  -h, --help                显示这段说明\n"
    "  --version                 显示版本\n"
    "\n"
    "选项的值可以写成 --to 目标文件夹，也可以写成 --to=目标文件夹。\n"
    "密码不能写在命令行上。\n"
    "\n"
    "退出状态：0 全部完成；1 有文件失败，或读不到密钥文件；2 用法错误；\n"
    "          3 密码或密钥文件很可能有误，这个文件和其后的文件都没有写入。\n";

constexpr const char* kPasswordRefused =
    "密码不能写在命令行上：请在提示时输入，或用 --password-stdin";

std::string Text(const QString& text) { return text.toStdString(); }

class Parser {
public:
    explicit Parser(const QStringList& arguments) : arguments_(arguments) {
        parser_.addOptions({
            {kKey, {}, QStringLiteral("file")},
            {kTo, {}, QStringLiteral("folder")},
            {kOverwrite, {}, QStringLiteral("skip|replace")},
            {kPassword, {}, QStringLiteral("password")},
            {kPasswordStdin, {}},
            {kForce, {}},
            {{QStringLiteral("h"), kHelp}, {}},
            {kVersion, {}},
        });
    }

    std::variant<CliOptions, ShownText, UsageError> Parse() {
        const bool parsed = parser_.parse(QStringList{QStringLiteral("korvel-cli")} + arguments_);
        if (parser_.isSet(kHelp)) return ShownText{std::string(kCliUsage) + kHelpDetails};
        if (parser_.isSet(kVersion)) return ShownText{"korvel-cli " KORVEL_CLI_VERSION "\n"};
        if (arguments_.isEmpty()) return UsageError{"缺少 encrypt 或 decrypt"};
        if (arguments_[0] == QLatin1String("encrypt")) {
            options_.direction = Direction::Encrypt;
        } else if (arguments_[0] == QLatin1String("decrypt")) {
            options_.direction = Direction::Decrypt;
        } else {
            return UsageError{"未知的命令：" + Text(arguments_[0])};
        }
        if (parser_.isSet(kPassword)) return UsageError{kPasswordRefused};
        if (!parsed) return UsageError{ParseProblem()};
        if (auto error = TakeValues()) return *error;
        if (options_.targetFolder.empty()) return UsageError{"缺少 --to 目标文件夹"};
        if (options_.paths.empty()) return UsageError{"缺少要处理的文件或文件夹"};
        return options_;
    }

private:
    std::optional<UsageError> TakeValues() {
        options_.passwordFromStdin = parser_.isSet(kPasswordStdin);
        options_.force = parser_.isSet(kForce);
        // Given twice, the last one counts.
        if (parser_.isSet(kKey)) options_.keyFile = NativeArguments::PathOf(parser_.value(kKey));
        if (parser_.isSet(kTo)) options_.targetFolder = NativeArguments::PathOf(parser_.value(kTo));
        for (const QString& value : parser_.values(kOverwrite)) {
            if (value == QLatin1String("skip")) {
                options_.existing = ExistingTargets::Skip;
            } else if (value == QLatin1String("replace")) {
                options_.existing = ExistingTargets::Replace;
            } else {
                return UsageError{"--overwrite 只能是 skip 或 replace"};
            }
        }
        // The first is the command.
        for (const QString& path : parser_.positionalArguments().mid(1)) {
            options_.paths.push_back(NativeArguments::PathOf(path));
        }
        return std::nullopt;
    }

    // QCommandLineParser names its failures in English; the names of the options are in them.
    std::string ParseProblem() const {
        const QStringList unknown = parser_.unknownOptionNames();
        if (!unknown.isEmpty()) return "未知的选项：" + Text(AsTyped(unknown.first()));
        const QString error = parser_.errorText();
        for (const QString& argument : arguments_) {
            if (error == QCommandLineParser::tr("Missing value after '%1'.").arg(argument)) {
                return Text(argument) + " 后缺少参数";
            }
            const QString option = argument.section(QLatin1Char('='), 0, 0);
            if (error == QCommandLineParser::tr("Unexpected value after '%1'.").arg(option)) {
                return "未知的选项：" + Text(argument);  // --force=yes
            }
        }
        return Text(error);
    }

    // The argument an unknown option's name came from, "--name=value" included.
    QString AsTyped(const QString& name) const {
        for (const QString& argument : arguments_) {
            if (argument == QLatin1String("--")) break;
            const QString stripped = argument.startsWith(QLatin1String("--")) ? argument.mid(2)
                                     : argument.startsWith(QLatin1Char('-'))  ? argument.mid(1)
                                                                              : QString();
            if (!stripped.isEmpty() && stripped.section(QLatin1Char('='), 0, 0) == name) {
                return argument;
            }
        }
        return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    }

    const QStringList& arguments_;
    QCommandLineParser parser_;
    CliOptions options_;
};

}  // namespace

std::variant<CliOptions, ShownText, UsageError> ParseCommandLine(const QStringList& arguments) {
    return Parser(arguments).Parse();
}

}  // namespace korvel
