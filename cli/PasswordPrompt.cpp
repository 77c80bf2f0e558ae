#include "PasswordPrompt.h"

#include <iostream>

#include "Terminal.h"

namespace korvel {

std::optional<std::string> PasswordPrompt::Read(bool fromStdin, std::string& problem) {
    if (fromStdin) {
        std::string line;
        if (!std::getline(std::cin, line)) return std::nullopt;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
    }
    if (!Terminal::InputIsTerminal()) {
        problem = "标准输入不是终端：请用 --password-stdin 从标准输入读入密码";
        return std::nullopt;
    }
    auto first = Terminal::ReadHiddenLine("密码：");
    const auto second = first ? Terminal::ReadHiddenLine("再次输入密码：") : std::nullopt;
    if (!second) return std::nullopt;
    if (*first != *second) {
        problem = "两次输入的密码不一样";
        return std::nullopt;
    }
    return first;
}

}  // namespace korvel
