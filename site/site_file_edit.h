#pragma once
// A channel's name changed in the site file's text as an engineer would change it in an editor:
// one value replaced, one line added or taken out, every other byte (key order, comments, blank
// lines, other tables) as it was.
#include <optional>
#include <string>

#include "site/site_file.h"

// `text` is the text `module` (a [[bus.module]] table of its document) was read from. Names
// channel `label` `name`, or takes its name away when `name` is empty. Nothing when the file is
// laid out in a way a line edit cannot follow (the caller then writes the file afresh).
std::optional<std::string> TextWithChannelName(const std::string& text, const SiteToml& module,
                                               const std::string& label, const std::string& name);
