// The subcommands of qvtool. Each takes its arguments after the subcommand
// name and returns the process exit code; errors are reported on stderr.
#pragma once
#include <string>
#include <vector>

namespace qvtool {

using Args = std::vector<std::string>;

int Pack(const Args& args);
int Info(const Args& args);
int Demo(const Args& args);
int Effect(const Args& args);
int Gallery(const Args& args);
int Play(const Args& args);
int Render(const Args& args);
int Install(const Args& args);
int Uninstall(const Args& args);
int Deb(const Args& args);
int UiSample(const Args& args);
int Qvp(const Args& args);
int Watch(const Args& args);

// What a subcommand says is wrong with its arguments or its files.
struct UsageError {
  std::string message;
};

// --help was given: the command's usage goes to stdout and the exit code is 0.
struct HelpAsked {
  std::string usage;
};

}  // namespace qvtool
