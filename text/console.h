// One-key answers read from the console.
#pragma once

// Discards type-ahead, then reads one line of standard input: EOF, or a line
// feed for an empty line, or the line's only character, or '?' for a longer
// line (read to its end).
int ConsoleReadAnswer();
