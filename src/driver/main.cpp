// Varnok: Elo ratings of chess programs from a file of their games.
#include "driver/main_flow.h"

#include <cstdio>
#include <new>

int main()
{
    varnok::Console console;
    varnok::prepareConsole(console);
    try {
        const int status = varnok::runMainFlow(console);
        std::fflush(stdout);
        return status;
    } catch (const std::bad_alloc&) {
        std::fflush(stdout);
        std::fputs("\nFAILURE - Out of memory\n", stdout);
        return varnok::EXIT_FAILURE_STATUS;
    }
}
