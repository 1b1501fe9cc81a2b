#include "app/batch_runner.h"

#include <iostream>

int main(int argc, char **argv)
{
    std::ios::sync_with_stdio(false);
    const int status
        = carexa::RunBatch(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    return carexa::FinishBatch(status, std::cout, std::cerr);
}
