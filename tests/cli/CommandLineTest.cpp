#include "cli/CommandLine.h"

#include <gtest/gtest.h>

#include "cipher/CipherFormat.h"
#include "files/FileError.h"

namespace korvel {
namespace {

// One line for whatever the parser returned, so that a row states it in full.
std::string Summary(const std::variant<CliOptions, ShownText, UsageError>& parsed) {
    if (const auto* error = std::get_if<UsageError>(&parsed)) return "error: " + error->message;
    if (const auto* shown = std::get_if<ShownText>(&parsed)) {
        return "shown: " + shown->text.substr(0, shown->text.find('\n'));
    }
    const auto& options = std::get<CliOptions>(parsed);
    static const char* const kCommands[] = {"encrypt", "decrypt", "verify", "recipient",
                                            "identity"};
    std::string text = kCommands[static_cast<int>(options.command)];
    if (options.keyFile) text += " key=" + PathText(*options.keyFile);
    if (!options.to.empty()) text += " to=" + PathText(options.to);
    if (options.identityFile) text += " identity=" + PathText(*options.identityFile);
    if (options.format == CipherFormat::Age) text += " age";
    if (options.passwordFromStdin) text += " stdin";
    if (options.force) text += " force";
    if (options.existing == ExistingTargets::Skip) text += " skip";
    if (options.existing == ExistingTargets::Replace) text += " replace";
    for (const auto& path : options.paths) text += " [" + PathText(path) + "]";
    return text;
}

struct ParserRow {
    const char* label;
    QStringList arguments;
    std::string expected;
};

const std::string kUsageLine =
    "shown: 用法：korvel-cli encrypt|decrypt [--key 密钥文件] --to 目标文件夹 [--password-stdin]";
const std::string kPasswordRefused =
    "error: 密码不能写在命令行上：请在提示时输入，或用 --password-stdin";

TEST(CliCommandLineTest, ArgumentsGiveARequestOrAUsageError) {
    const ParserRow rows[] = {
        {"nothing", {}, "error: 缺少 encrypt 或 decrypt"},
        {"unknown command", {"bogus", "--to", "out", "a"}, "error: 未知的命令：bogus"},
        {"an option before the command",
         {"--to", "out", "encrypt", "a"},
         "error: 未知的命令：--to"},
        {"-h", {"-h"}, kUsageLine},
        {"--help", {"--help"}, kUsageLine},
        {"--help after other options", {"decrypt", "--to", "out", "--bogus", "--help"}, kUsageLine},
        {"--version", {"--version"}, "shown: korvel-cli " KORVEL_CLI_VERSION},
        {"one file", {"encrypt", "--to", "out", "a.txt"}, "encrypt to=out [a.txt]"},
        {"--opt=value",
         {"decrypt", "--to=out", "--key=k/uae", "a"},
         "decrypt key=k/uae to=out [a]"},
        {"options after the paths", {"encrypt", "a", "b", "--to", "out"}, "encrypt to=out [a] [b]"},
        {"every flag",
         {"decrypt", "--password-stdin", "--force", "--overwrite", "replace", "--to", "out", "a"},
         "decrypt to=out stdin force replace [a]"},
        {"--overwrite=skip",
         {"encrypt", "--overwrite=skip", "--to", "out", "a"},
         "encrypt to=out skip [a]"},
        {"repeated option: the last counts",
         {"encrypt", "--to", "one", "--to=two", "a"},
         "encrypt to=two [a]"},
        {"repeated --overwrite, one bad",
         {"encrypt", "--overwrite=maybe", "--overwrite=skip", "a"},
         "error: --overwrite 只能是 skip 或 replace"},
        {"--overwrite maybe",
         {"encrypt", "--to", "out", "--overwrite", "maybe", "a"},
         "error: --overwrite 只能是 skip 或 replace"},
        {"missing value of --to", {"encrypt", "a", "--to"}, "error: --to 后缺少参数"},
        {"missing value of --key",
         {"encrypt", "--to", "out", "a", "--key"},
         "error: --key 后缺少参数"},
        {"missing value of --overwrite",
         {"encrypt", "--to", "out", "a", "--overwrite"},
         "error: --overwrite 后缺少参数"},
        {"a value that looks like an option",
         {"encrypt", "--key", "--to", "a"},
         "error: 缺少 --to 目标文件夹"},
        {"empty --to=", {"encrypt", "--to=", "a"}, "error: 缺少 --to 目标文件夹"},
        {"no paths", {"encrypt", "--to", "out"}, "error: 缺少要处理的文件或文件夹"},
        {"unknown option",
         {"encrypt", "--to", "out", "--bogus", "a"},
         "error: 未知的选项：--bogus"},
        {"unknown option with a value",
         {"encrypt", "--to", "out", "--bogus=1", "a"},
         "error: 未知的选项：--bogus=1"},
        {"unknown short option", {"encrypt", "--to", "out", "-x", "a"}, "error: 未知的选项：-x"},
        {"a value for a flag",
         {"encrypt", "--to", "out", "--force=yes", "a"},
         "error: 未知的选项：--force=yes"},
        {"--password value",
         {"encrypt", "--to", "out", "--password", "Secret 1", "a"},
         kPasswordRefused},
        {"--password=value",
         {"encrypt", "--password=Secret 1", "--to", "out", "a"},
         kPasswordRefused},
        {"--password last", {"encrypt", "--to", "out", "a", "--password"}, kPasswordRefused},
        {"-- before paths",
         {"encrypt", "--to", "out", "--", "--force", "-x", "--help", "a"},
         "encrypt to=out [--force] [-x] [--help] [a]"},
        {"- is a path", {"encrypt", "--to", "out", "-"}, "encrypt to=out [-]"},
        {"Chinese names", {"decrypt", "--to", "明文", "密文/报告"}, "decrypt to=明文 [密文/报告]"},
        // The age format and its keys.
        {"--format age",
         {"encrypt", "--format", "age", "--to", "out", "a"},
         "encrypt to=out age [a]"},
        {"--format=legacy",
         {"encrypt", "--format=legacy", "--to", "out", "a"},
         "encrypt to=out [a]"},
        {"--format repeated: the last counts",
         {"encrypt", "--format=age", "--format=legacy", "--to", "out", "a"},
         "encrypt to=out [a]"},
        {"--format bad",
         {"encrypt", "--format", "gpg", "--to", "out", "a"},
         "error: --format 只能是 legacy 或 age"},
        {"--format in capitals",
         {"encrypt", "--format=AGE", "--to", "out", "a"},
         "error: --format 只能是 legacy 或 age"},
        {"--format last",
         {"encrypt", "--to", "out", "a", "--format"},
         "error: --format 后缺少参数"},
        {"--format on decrypt",
         {"decrypt", "--format=age", "--to", "out", "a"},
         "error: 选项 --format 不能用于 decrypt"},
        {"--identity on decrypt",
         {"decrypt", "--identity", "me.txt", "--to", "out", "a.age"},
         "decrypt to=out identity=me.txt [a.age]"},
        {"--identity with a key file",
         {"decrypt", "--identity=me.txt", "--key", "uae", "--to", "out", "a.age"},
         "error: --identity 不能与 --key 或 --password-stdin 一起使用"},
        {"--identity with --password-stdin",
         {"verify", "--password-stdin", "--identity=me.txt", "a.age"},
         "error: --identity 不能与 --key 或 --password-stdin 一起使用"},
        {"--identity on encrypt",
         {"encrypt", "--identity=me.txt", "--to", "out", "a"},
         "error: 选项 --identity 不能用于 encrypt"},
        {"--identity last", {"verify", "a.age", "--identity"}, "error: --identity 后缺少参数"},
        {"verify",
         {"verify", "--key", "uae", "--password-stdin", "a.age", "密文"},
         "verify key=uae stdin [a.age] [密文]"},
        {"verify with an identity",
         {"verify", "--identity", "me.txt", "a.age"},
         "verify identity=me.txt [a.age]"},
        {"verify without paths", {"verify", "--password-stdin"}, "error: 缺少要处理的文件或文件夹"},
        {"verify writes nothing",
         {"verify", "--to", "out", "a.age"},
         "error: 选项 --to 不能用于 verify"},
        {"verify --force", {"verify", "--force", "a.age"}, "error: 选项 --force 不能用于 verify"},
        {"recipient", {"recipient"}, "recipient"},
        {"recipient with a key file",
         {"recipient", "--key=k/uae", "--password-stdin"},
         "recipient key=k/uae stdin"},
        {"recipient with a path",
         {"recipient", "a.txt"},
         "error: recipient 不接受文件或文件夹：a.txt"},
        {"recipient --identity",
         {"recipient", "--identity", "me.txt"},
         "error: 选项 --identity 不能用于 recipient"},
        {"recipient --password", {"recipient", "--password", "Secret 1"}, kPasswordRefused},
        {"identity", {"identity", "--key", "uae", "--to", "me.txt"}, "identity key=uae to=me.txt"},
        {"identity without --to", {"identity", "--password-stdin"}, "error: 缺少 --to 身份文件"},
        {"identity with a path",
         {"identity", "--to", "me.txt", "more.txt"},
         "error: identity 不接受文件或文件夹：more.txt"},
        {"identity --overwrite",
         {"identity", "--overwrite=replace", "--to", "me.txt"},
         "error: 选项 --overwrite 不能用于 identity"},
        {"identity --help", {"identity", "--help"}, kUsageLine},
    };
    for (const ParserRow& row : rows) {
        EXPECT_EQ(Summary(ParseCommandLine(row.arguments)), row.expected) << row.label;
    }
}

}  // namespace
}  // namespace korvel
