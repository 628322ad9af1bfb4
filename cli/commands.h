// Command front end: the banner, the command table, the usage text and the full run.
#ifndef KESK_CLI_COMMANDS_H
#define KESK_CLI_COMMANDS_H

// Prints the banner, picks one command from the arguments and runs it. Always returns 0;
// the fatal failures of the resource extractions end the process with status 1 themselves.
int run_command_line(int argc, char** argv);

// Reads a number argument by the atoi rules (leading white space, an optional sign, digits
// up to the first non-digit, no digits as 0), saturating beyond the 32-bit signed range.
int read_number_argument(const char* text);

// Extracts the four resource types in table order, then converts the object file and the
// vocabulary.
void extract_everything();

#endif  // KESK_CLI_COMMANDS_H
