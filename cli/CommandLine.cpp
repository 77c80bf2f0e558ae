#include "CommandLine.h"

namespace korvel {

namespace {

std::filesystem::path PathOf(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

class Parser {
public:
    explicit Parser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    std::variant<CliOptions, UsageError> Parse() {
        if (arguments_.empty()) return UsageError{"缺少 encrypt 或 decrypt"};
        if (arguments_[0] == "encrypt") {
            options_.direction = Direction::Encrypt;
        } else if (arguments_[0] == "decrypt") {
            options_.direction = Direction::Decrypt;
        } else {
            return UsageError{"未知的命令：" + arguments_[0]};
        }
        for (next_ = 1; next_ < arguments_.size();) {
            if (auto error = TakeArgument()) return *error;
        }
        if (options_.targetFolder.empty()) return UsageError{"缺少 --to 目标文件夹"};
        if (options_.paths.empty()) return UsageError{"缺少要处理的文件或文件夹"};
        return options_;
    }

private:
    std::optional<UsageError> TakeArgument() {
        const std::string& argument = arguments_[next_++];
        if (argument == "--") {
            while (next_ < arguments_.size()) options_.paths.push_back(PathOf(arguments_[next_++]));
            return std::nullopt;
        }
        if (argument == "--password-stdin") {
            options_.passwordFromStdin = true;
        } else if (argument == "--force") {
            options_.force = true;
        } else if (argument == "--key" || argument == "--to" || argument == "--overwrite") {
            if (next_ >= arguments_.size()) return UsageError{argument + " 后缺少参数"};
            return TakeValue(argument, arguments_[next_++]);
        } else if (argument == "--password" || argument.starts_with("--password=")) {
            return UsageError{"密码不能写在命令行上：请在提示时输入，或用 --password-stdin"};
        } else if (argument.starts_with("--")) {
            return UsageError{"未知的选项：" + argument};
        } else {
            options_.paths.push_back(PathOf(argument));
        }
        return std::nullopt;
    }

    std::optional<UsageError> TakeValue(const std::string& option, const std::string& value) {
        if (option == "--key") options_.keyFile = PathOf(value);
        if (option == "--to") options_.targetFolder = PathOf(value);
        if (option == "--overwrite") {
            if (value == "skip") {
                options_.existing = ExistingTargets::Skip;
            } else if (value == "replace") {
                options_.existing = ExistingTargets::Replace;
            } else {
                return UsageError{"--overwrite 只能是 skip 或 replace"};
            }
        }
        return std::nullopt;
    }

    const std::vector<std::string>& arguments_;
    std::size_t next_ = 0;
    CliOptions options_;
};

}  // namespace

std::variant<CliOptions, UsageError> ParseCommandLine(const std::vector<std::string>& arguments) {
    return Parser(arguments).Parse();
}

}  // namespace korvel
