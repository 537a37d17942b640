// The help text of the Linux program, which its Help button shows in place of the Windows help
// file. It is written at build time from help/tarnwick-help.txt, the source of every help text.
#pragma once

const char* TerminalHelpTitle();
const char* TerminalHelpText();
// The text of a topic of the help file's popup topics (ctrlhlp.txt), numbered by control id; null
// when there is none.
const char* TerminalPopupTopic(unsigned long topic);
