// The console's socket client (lumora-ctl, lumora --ctl): sends commands to
// a running desk and prints the replies. Plain POSIX, no Qt, no desk code.
#pragma once

namespace lumora {

// argv[0] is the program name, then [--timeout SECONDS] PATH [COMMAND...].
// Exit status: 0 when every command was answered `ok`, 1 when one was
// answered `err`, 2 for a usage error or a failed or lost connection.
int RunCtl(int argc, char** argv);

}  // namespace lumora
