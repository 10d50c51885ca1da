// Command lines of the programs beside kestrun: the home given on its own.
#pragma once

#include <string>
#include <vector>

// Puts args (the program name first) in kestrun's own form: a single
// argument that is not an option names the home and becomes "-h" and the
// home; any other command line is left unchanged, for kestrun's argument
// rules to judge.
void TakeBareHomeArgument(std::vector<std::string>* args);
