// Standard input replaced by a pipe that the test writes, on every platform.
#pragma once

// False when the pipe or the swap failed.
bool replaceStdinWithPipe();
bool writeToStdinPipe(const char* text);
// The writer's end closed: the reader sees the end of input.
void closeStdinPipeWriter();
// The original standard input back, the pipe's read end closed.
void restoreStdin();
