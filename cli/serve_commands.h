#pragma once
// `k7r2 serve`: registered on the command line from its own files.
namespace CLI {
class App;
}
struct Invocation;

void AddServeCommands(CLI::App& app, Invocation& inv);
