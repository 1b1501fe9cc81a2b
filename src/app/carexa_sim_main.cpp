#include "app/batch_runner.h"

#include <csignal>
#include <iostream>

int main(int argc, char **argv)
{
    // Past a file-size limit (ulimit -f) a write then fails with "File too large", which the
    // output reports and exits 1 on, instead of the signal ending the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    std::ios::sync_with_stdio(false);
    const int status
        = carexa::RunBatch(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
    return carexa::FinishBatch(status, std::cout, std::cerr);
}
