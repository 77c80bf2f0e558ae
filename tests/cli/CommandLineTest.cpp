#include "cli/CommandLine.h"

#include <gtest/gtest.h>

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
    std::string text = options.direction == Direction::Encrypt ? "encrypt" : "decrypt";
    if (options.keyFile) text += " key=" + PathText(*options.keyFile);
    text += " to=" + PathText(options.targetFolder);
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
    };
    for (const ParserRow& row : rows) {
        EXPECT_EQ(Summary(ParseCommandLine(row.arguments)), row.expected) << row.label;
    }
}

}  // namespace
}  // namespace korvel
