#pragma once
// The twips rectangle is the shell's (it keeps the capture geometry).
#include "shell_state.h"
