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

// True when an argument begins with "--": the command line is then read as long options.
bool has_long_option(int argc, char** argv);

// Runs --help, --version, or the formats named (--png, --text, --midi, --wav) after the
// banner; returns the exit status, 2 for a command line it cannot read (its message on
// standard error).
int run_long_options(int argc, char** argv);

#endif  // KESK_CLI_COMMANDS_H
