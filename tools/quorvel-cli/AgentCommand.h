// quorvel-cli agent: the agent headless, driven by simulator lines on
// standard input, with its events on standard output.
#pragma once

// argv as main got it ("quorvel-cli", "agent", options...). Returns the exit
// status: 0 after end of input or SIGTERM/SIGINT, 1 when the sign-in was
// refused or got no answer, 2 on bad usage.
int RunAgentCommand(int argc, char** argv);
