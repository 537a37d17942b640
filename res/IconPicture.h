// The program's icon as the terminal program draws it (framework/term/CellPicture.h), written at
// build time from res/tarnwick.ico.
#pragma once

#include "framework/term/CellPicture.h"

const CellPicture& ProgramIconPicture();
