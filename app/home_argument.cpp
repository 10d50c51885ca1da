// Command lines of the programs beside kestrun: the home given on its own.
#include "app/home_argument.h"

void TakeBareHomeArgument(std::vector<std::string>* args) {
    if (!args || args->size() != 2) return;
    const std::string& home = (*args)[1];
    if (home.empty() || home[0] == '-') return;
    args->insert(args->begin() + 1, "-h");
}
