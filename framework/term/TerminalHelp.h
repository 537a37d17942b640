// The help text of the Linux program, which its Help button shows in place of the Windows help
// file.
#pragma once

const char* TerminalHelpTitle();
const char* TerminalHelpText();
