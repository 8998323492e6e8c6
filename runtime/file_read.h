// Reading the rest of an open file into memory: the one read loop behind String::Load and the
// host's whole-file loaders (data files, images, sounds, the gamepad table).
#pragma once
#include <cstdio>
#include <vector>

// Appends the rest of the file from its current position; false on a read error.
bool vgReadRest(FILE* file, std::vector<unsigned char>& out);
