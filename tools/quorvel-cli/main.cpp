// quorvel-cli: tools for the people who look after a client installation.
#include <cstring>
#include <iostream>

#include "AgentCommand.h"
#include "NumbersCommand.h"

namespace {

void PrintUsage(std::ostream& out) {
    out << "usage:\n"
           "  quorvel-cli numbers --rules FILE [--area-code CODE] [--local-length N]\n"
           "                      (--caller | --dialled) [NUMBER...]\n"
           "      Classifies each number (the arguments, or one per line from standard\n"
           "      input) as the agent does; prints one JSON object per line.\n"
           "  quorvel-cli agent [--program-dir DIR] [--data-dir DIR] [--verbose]\n"
           "                    [--sign-in HOST:PORT --agent-id N --password P [--app-id N]\n"
           "                     [--account A] [--org O] [--name N]]\n"
           "      Runs the agent headless with the device library and the rules of the\n"
           "      program folder; prints every agent event as MyEvt<TAB>iParam<TAB>sParam\n"
           "      and hands lines \"sim KIND TEXT\" from standard input to SimulateEvent.\n"
           "      --sign-in signs the agent in with the service at HOST:PORT first and\n"
           "      runs it signed in: caller look-ups, recordings, call-log and recording\n"
           "      uploads. --verbose copies the workers' log lines to standard error.\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        PrintUsage(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? 2 : 0;
    }
    const std::string command = argv[1];
    if (command == "numbers")
        return RunNumbersCommand(argc - 2, argv + 2, std::cin, std::cout, std::cerr);
    if (command == "agent")
        return RunAgentCommand(argc, argv);
    std::cerr << "quorvel-cli: unknown command \"" << command << "\"\n";
    PrintUsage(std::cerr);
    return 2;
}
