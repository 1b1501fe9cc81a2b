// Writes a long project (the cold-climate example's year repeated) for measuring the batch
// runner:  carexa-make-long-project OUT.mdl [DAYS=36500]
#include "long_project.h"

#include <cstdlib>
#include <iostream>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::cerr << "usage: carexa-make-long-project OUT.mdl [DAYS]\n";
        return 2;
    }
    const int days = argc > 2 ? std::atoi(argv[2]) : 36500;
    carexa::bench::LongProject project(days);
    carexa::SaveProjectFile(argv[1], project.state, project.observed, project.design);
    return 0;
}
