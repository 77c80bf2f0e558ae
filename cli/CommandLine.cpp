#include "CommandLine.h"

#include <QCommandLineParser>
#include <map>

#include "NativeArguments.h"

namespace korvel {

namespace {

const QString kKey = QStringLiteral("key");
const QString kTo = QStringLiteral("to");
const QString kOverwrite = QStringLiteral("overwrite");
const QString kPasswordStdin = QStringLiteral("password-stdin");
const QString kForce = QStringLiteral("force");
const QString kFormat = QStringLiteral("format");
const QString kIdentity = QStringLiteral("identity");
// Known only to be refused, with its value.
const QString kPassword = QStringLiteral("password");
const QString kHelp = QStringLiteral("help");
const QString kVersion = QStringLiteral("version");

struct CommandRules {
    CliCommand command;
    QStringList options;  // the options it takes, beside -h, --help and --version
    bool takesPaths;
};

const std::map<QString, CommandRules>& Commands() {
    static const std::map<QString, CommandRules> commands{
        {QStringLiteral("encrypt"),
         {CliCommand::Encrypt, {kKey, kTo, kPasswordStdin, kOverwrite, kForce, kFormat}, true}},
        {QStringLiteral("decrypt"),
         {CliCommand::Decrypt, {kKey, kTo, kPasswordStdin, kOverwrite, kForce, kIdentity}, true}},
        {QStringLiteral("verify"), {CliCommand::Verify, {kKey, kPasswordStdin, kIdentity}, true}},
        {QStringLiteral("recipient"), {CliCommand::Recipient, {kKey, kPasswordStdin}, false}},
        {QStringLiteral("identity"), {CliCommand::Identity, {kKey, kPasswordStdin, kTo}, false}},
    };
    return commands;
}

constexpr const char* kHelpDetails =
    "      korvel-cli -h|--help\n"
    "      korvel-cli --version\n"
    "\n"
    "加密或解密任意多个文件和文件夹，与窗口使用同样的方法和同样的解密结果检查。\n"
    "\n"
    "  encrypt, decrypt          加密或解密，写在最前面\n"
    "  verify                    验证 age 文件是否完好，不写入任何文件\n"
    "  recipient                 在标准输出上显示密码和密钥文件的 age 接收者（age1…），\n"
    "                            任何人都可以用 age -r 为它加密\n"
    "  identity                  把密码和密钥文件的 age 身份写入 --to "
    "给出的新文件（只有本人可读）\n"
    "  --to 目标文件夹           结果写入这个文件夹（encrypt、decrypt "
    "必需）；文件夹按原名整个放进去\n"
    "  --to 身份文件             identity：要新建的身份文件\n"
    "  --key 密钥文件            密钥文件；不给时用程序所在文件夹中的 uae\n"
    "  --password-stdin          从标准输入读一行作为密码；不给时在终端上不回显地输入两次\n"
    "  --overwrite skip|replace  目标文件已存在时跳过或替换；不给时不写入并报告失败\n"
    "  --force                   解密结果看起来不对时仍然解密\n"
    "  --format legacy|age       加密的格式：legacy 兼容格式（默认）；age 格式防篡改、\n"
    "                            每个文件独立密钥，目标文件名加上 .age\n"
    "  --identity 身份文件       decrypt、verify：用 age 身份文件中的身份代替密码和密钥文件\n"
    "  --                        其后的参数都是文件或文件夹（也包括以 - 开头的名字）\n"
    "  -h, --help                显示这段说明\n"
    "  --version                 显示版本\n"
    "\n"
    "选项的值可以写成 --to 目标文件夹，也可以写成 --to=目标文件夹。\n"
    "密码不能写在命令行上。\n"
    "解密时按文件的第一行认出 age 文件，并去掉目标文件名末尾的 .age。\n"
    "\n"
    "退出状态：0 全部完成（verify：全部完好）；1 有文件失败或未通过验证，或读不到密钥文件、\n"
    "          身份文件；2 用法错误；3 密码或密钥文件很可能有误，这个文件和其后的文件都没有写入，\n"
    "          或者 age 文件没有能用它们打开的接收者（verify：一个也打不开）。\n";

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
            {kFormat, {}, QStringLiteral("legacy|age")},
            {kIdentity, {}, QStringLiteral("file")},
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
        const auto command = Commands().find(arguments_[0]);
        if (command == Commands().end()) return UsageError{"未知的命令：" + Text(arguments_[0])};
        options_.command = command->second.command;
        if (parser_.isSet(kPassword)) return UsageError{kPasswordRefused};
        if (!parsed) return UsageError{ParseProblem()};
        if (auto error = TakeValues()) return *error;
        if (auto error = CheckAgainst(command->second)) return *error;
        return options_;
    }

private:
    std::optional<UsageError> TakeValues() {
        options_.passwordFromStdin = parser_.isSet(kPasswordStdin);
        options_.force = parser_.isSet(kForce);
        // Given twice, the last one counts.
        if (parser_.isSet(kKey)) options_.keyFile = NativeArguments::PathOf(parser_.value(kKey));
        if (parser_.isSet(kTo)) options_.to = NativeArguments::PathOf(parser_.value(kTo));
        if (parser_.isSet(kIdentity)) {
            options_.identityFile = NativeArguments::PathOf(parser_.value(kIdentity));
        }
        for (const QString& value : parser_.values(kOverwrite)) {
            if (value == QLatin1String("skip")) {
                options_.existing = ExistingTargets::Skip;
            } else if (value == QLatin1String("replace")) {
                options_.existing = ExistingTargets::Replace;
            } else {
                return UsageError{"--overwrite 只能是 skip 或 replace"};
            }
        }
        for (const QString& value : parser_.values(kFormat)) {
            if (value == QLatin1String("legacy")) {
                options_.format = CipherFormat::Seed;
            } else if (value == QLatin1String("age")) {
                options_.format = CipherFormat::Age;
            } else {
                return UsageError{"--format 只能是 legacy 或 age"};
            }
        }
        // The first is the command.
        for (const QString& path : parser_.positionalArguments().mid(1)) {
            options_.paths.push_back(NativeArguments::PathOf(path));
        }
        return std::nullopt;
    }

    std::optional<UsageError> CheckAgainst(const CommandRules& rules) const {
        const QString& command = arguments_[0];
        for (const QString& option : parser_.optionNames()) {
            const bool general = option == kHelp || option == QLatin1String("h");
            if (!general && !rules.options.contains(option)) {
                return UsageError{"选项 --" + Text(option) + " 不能用于 " + Text(command)};
            }
        }
        if (options_.identityFile && (options_.keyFile || options_.passwordFromStdin)) {
            return UsageError{"--identity 不能与 --key 或 --password-stdin 一起使用"};
        }
        if (!rules.takesPaths && !options_.paths.empty()) {
            return UsageError{Text(command) + " 不接受文件或文件夹：" +
                              Text(parser_.positionalArguments()[1])};
        }
        if (rules.options.contains(kTo) && options_.to.empty()) {
            return UsageError{options_.command == CliCommand::Identity ? "缺少 --to 身份文件"
                                                                       : "缺少 --to 目标文件夹"};
        }
        if (rules.takesPaths && options_.paths.empty()) {
            return UsageError{"缺少要处理的文件或文件夹"};
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
