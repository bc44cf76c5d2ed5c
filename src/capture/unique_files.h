#pragma once
// Files and folders made under names nobody else holds, and files with no name at all: what the
// capture writes its outputs into before they are complete, and the data it hands to ffmpeg.

#include <string>

namespace Zorvek::capture {

// Creates a new file for writing (in binary), named `name` with its last six characters
// ("XXXXXX") replaced, which no other file had; `name` becomes its name. Gives its descriptor, or
// -1 with errno set. It gets the permissions any new file of the process gets.
int createUniqueFile(std::string& name);

// The same for a folder: true when made.
bool createUniqueFolder(std::string& name);

// A file in memory or in the temporary folder with no name in any folder (for data that only this
// process and the programs it starts read), open for reading and writing, or -1. Nothing of it can
// be left behind.
int anonymousFile(const char* name);

}  // namespace Zorvek::capture
