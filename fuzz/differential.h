// Differential checks of the paths built for speed: each runs the fast code
// and a short, plain reference that follows the documented rules on inputs
// read from the fuzzer's bytes, and stops on the first different answer.
// Fuzz targets (fuzz_nv_list, fuzz_catalog_index, fuzz_*_reference) and
// the test suite's sweep (Differential.*) run them.
#pragma once

#include "support.h"

// Name-value list operations on a plain list (indexed false) or on the
// catalogs' indexed list, against a vector searched from the front.
void CheckNameValueList(FuzzInput& in, bool indexed);
// Reading a name-value file against a line-by-line reader.
void CheckNameValueReader(FuzzInput& in);
// The same on files whose lines put each byte the rules turn on at every
// offset around the first two 2047-byte edges.
void CheckNameValueReaderEdges();
// One template object rendering several times into its collected output
// against a plain substitution, tag walk and concatenation.
void CheckTemplateOutput(FuzzInput& in);
// UTF-8 search and cuts against walks from the start of the text.
void CheckUtf8SearchAndCut(FuzzInput& in);
// The same on every byte of 0x80 or more followed by ASCII runs of every
// length up to seven: each place a search could take up its steps again.
void CheckUtf8Steps();
