#pragma once
// The command-line parser's texts in Chinese: its help layout and its refusals.
#include <CLI/CLI.hpp>

#include <memory>
#include <string>

// The help layout with Chinese labels; set on the top command before its subcommands are added,
// so that they inherit it.
std::shared_ptr<CLI::Formatter> ChineseHelpFormatter();

// `asked`'s help: usage line, arguments, options and commands, then, below a subcommand's own,
// the global options of `root`, and the exit statuses.
std::string HelpText(const CLI::App& asked, const CLI::App& root, const std::string& notes);

// A parse error as a Chinese message that names the argument and, where there is one, the value
// and what is accepted. `app` is the parsed top command.
std::string UsageErrorText(const CLI::ParseError& error, const CLI::App& app);

// The deepest command named on the command line.
const CLI::App& DeepestCommand(const CLI::App& app);
