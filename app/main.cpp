#include "Project1.h"

int main(int argc, char **argv)
{
    return Project1Main(argc, argv);
}
