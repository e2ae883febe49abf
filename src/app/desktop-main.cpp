#include "app/KalvorenMain.h"

int main(int argc, char **argv)
{
    return Kalvoren::desktopMain(argc, argv);
}
