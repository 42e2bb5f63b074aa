#include "driver/Program.h"

int main(int argc, char* argv[])
{
    return KorlixMain(argc, argv);
}
