#pragma once

#include "app/variable_table.h"

namespace vexa {

// The process's record of generated names, so that no two keys come out the same. Created on
// first use. GUI thread only, like everything below.
VariableTable& nameRegistry();

// The keys under which the user's folders and names are stored: 126 random characters each,
// drawn on the first call until the registry does not hold them yet, then kept for the process.
const char* currentDirectoryKey();
const char* documentsFolderKey();
const char* desktopFolderKey();
const char* appDataFolderKey();
const char* computerNameKey();
const char* userNameKey();

// Stores each of the six values under its key, skipping those whose look-up fails.
void addSpecialVariables(VariableTable& table);

// Gives DISPLAY the value "127.0.0.1:0.0" when the table has no DISPLAY with a value.
void ensureDisplayVariable(VariableTable& table);

}  // namespace vexa
