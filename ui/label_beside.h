#pragma once
// Which static text a sighted user reads as a field's label: the one that ends just left of the
// field on its row with nothing between them, else the one standing right above its left edge.
// Positions in dialog units, so the answer does not depend on the face or the screen.
#include <cstddef>
#include <optional>

#include "ui/dialog_template.h"

std::optional<std::size_t> LabelBeside(const DialogTemplate& tpl, std::size_t field);
