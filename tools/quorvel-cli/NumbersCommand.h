// quorvel-cli numbers: classifies numbers with a rule file as the agent does.
#pragma once

#include <iosfwd>

// args are the arguments after "numbers". Returns the exit status: 0 all
// numbers classified, 1 some input was refused or the rule file had an error
// (the lists read before it are used), 2 bad usage or no rule file.
int RunNumbersCommand(int argc, char** args, std::istream& in, std::ostream& out,
                      std::ostream& err);
