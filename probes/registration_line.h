#pragma once
// The registration-file line lives with the module link, where the command-line tool shares it.
#include "link/registration_line.h"
