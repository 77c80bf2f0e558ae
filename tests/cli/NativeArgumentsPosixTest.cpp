#include "cli/NativeArguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CommandLine.h"

namespace korvel {
namespace {

// Any bytes a file system holds come back as the same path, through the parser too.
TEST(CliNativeArgumentsPosixTest, ANameComesBackByteForByte) {
    const std::vector<std::string> names = {
        "a.txt",         "caf\xc3\xa9.txt", "caf\xe9.txt",  "\xff\xfe",
        "报告\xe9/季度", "x\xc3",           "\xed\xb2\x80",
    };
    for (const std::string& name : names) {
        std::string program = "korvel-cli", command = "encrypt", to = "--to=" + name, path = name;
        char* argv[] = {program.data(), command.data(), to.data(), path.data(), nullptr};
        const QStringList arguments = NativeArguments::Of(4, argv);
        ASSERT_EQ(arguments.size(), 3) << name;
        EXPECT_EQ(NativeArguments::PathOf(arguments[2]).native(), name);
        const auto parsed = ParseCommandLine(arguments);
        ASSERT_TRUE(std::holds_alternative<CliOptions>(parsed)) << name;
        const auto& options = std::get<CliOptions>(parsed);
        EXPECT_EQ(options.to.native(), name);
        ASSERT_EQ(options.paths.size(), 1u) << name;
        EXPECT_EQ(options.paths[0].native(), name);
    }
}

TEST(CliNativeArgumentsPosixTest, UnicodeNamesStayReadable) {
    std::string program = "korvel-cli", name = "季度报告.txt";
    char* argv[] = {program.data(), name.data(), nullptr};
    EXPECT_EQ(NativeArguments::Of(2, argv), QStringList{QString::fromUtf8("季度报告.txt")});
}

}  // namespace
}  // namespace korvel
