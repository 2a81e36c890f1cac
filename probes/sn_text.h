#pragma once
// The SN texts live with the module link, where the command-line tool shares them.
#include "link/sn_text.h"
