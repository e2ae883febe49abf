#include "cli/CliMain.h"

int main(int argc, char **argv)
{
    return Kalvoren::cliMain(argc, argv);
}
