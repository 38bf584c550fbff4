// The button-function catalogue lives with the script core, which names the
// same functions to scripts; the page reads it from there.
#pragma once

#include "script/button_functions.h"
