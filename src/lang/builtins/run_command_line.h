#pragma once
// The command lines that programs run (exec, system): split into words and started without a
// shell, in the working folder, waited for, stoppable by the held mouse button. The command's
// exit status is its own business; a command that cannot start fails the built-in with
// "Can not execute [...]: " and the system's reason, so that a typing mistake does not pass for
// success.

int vkRunCommandLine(const char* text);
