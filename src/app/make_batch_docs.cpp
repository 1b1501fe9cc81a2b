// Writes what documents carexa-sim outside the program, made from its own commands, synopses
// and help texts: the bash completion and the manual page.
//   carexa-make-batch-docs COMPLETION_FILE MANUAL_FILE DATE

#include "app/bash_completion.h"
#include "app/batch_manual.h"
#include "io/output_file.h"
#include "model/error.h"

#include <cstdio>
#include <string_view>

namespace {

void Write(const char *file, std::string_view text, const char *what)
{
    carexa::OutputFile output(file, what);
    output.write(text);
    output.finish();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fputs("usage: carexa-make-batch-docs COMPLETION_FILE MANUAL_FILE DATE\n", stderr);
        return 2;
    }
    try {
        Write(argv[1], carexa::BashCompletion(), "The bash completion");
        Write(argv[2], carexa::BatchManualPage(argv[3]), "The manual page");
    } catch (const carexa::Error &e) {
        std::fprintf(stderr, "carexa-make-batch-docs: %s\n", e.what());
        return 1;
    }
    return 0;
}
